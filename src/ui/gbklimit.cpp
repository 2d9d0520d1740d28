#include "gbklimit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringEncoder>
#include <QValidator>

namespace {

class GbkLimitValidator : public QValidator {
public:
    GbkLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_maxBytes(maxBytes) {}

    State validate(QString& input, int&) const override {
        return gbkByteLength(input) <= m_maxBytes ? Acceptable : Invalid;
    }

private:
    int m_maxBytes;
};

} // namespace

qsizetype gbkByteLength(const QString& text) {
    QStringEncoder encoder("GBK");
    if (!encoder.isValid()) {
        // Without a GBK codec, count as GBK would: one byte for ASCII, two otherwise.
        qsizetype bytes = 0;
        for (const QChar c : text)
            bytes += c.unicode() < 0x80 ? 1 : 2;
        return bytes;
    }
    const QByteArray bytes = encoder.encode(text);
    return bytes.size();
}

void setGbkLimit(QLineEdit* edit, int maxBytes) {
    edit->setValidator(new GbkLimitValidator(maxBytes, edit));
}

void setGbkLimit(QComboBox* combo, int maxBytes) {
    combo->setValidator(new GbkLimitValidator(maxBytes, combo));
}
