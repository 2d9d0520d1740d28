#include "gbklimit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringEncoder>
#include <QValidator>

namespace {

// Typing, pasting and dropping are held to the limit; text the program puts into the
// box (a stored name longer than the limit) is shown whole. Such text may only be
// shortened: an edit that does not shorten it is refused. A paste that would cross
// the limit is cut to the characters that fit.
class GbkLimitValidator : public QValidator {
public:
    GbkLimitValidator(int maxBytes, QLineEdit* edit)
        : QValidator(edit), m_maxBytes(maxBytes), m_edit(edit), m_accepted(edit->text()),
          m_acceptedBytes(gbkByteLength(m_accepted)) {}

    State validate(QString& input, int& position) const override {
        const qsizetype bytes = gbkByteLength(input);
        // The box counts as unmodified only while it holds text set by the program.
        if (!m_edit->isModified() || bytes <= m_maxBytes || bytes < m_acceptedBytes)
            return accept(input, bytes);
        return cutToFit(input, position);
    }

private:
    State accept(const QString& input, qsizetype bytes) const {
        m_accepted = input;
        m_acceptedBytes = bytes;
        return Acceptable;
    }

    // The edit replaced the middle of the accepted text with what the user put in;
    // keep as much of that as fits. Nothing fitting refuses the edit whole, which
    // the box undoes.
    State cutToFit(QString& input, int& position) const {
        const QString& before = m_accepted;
        qsizetype prefix = 0;
        while (prefix < before.size() && prefix < input.size() && before[prefix] == input[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < before.size() - prefix && suffix < input.size() - prefix &&
               before[before.size() - 1 - suffix] == input[input.size() - 1 - suffix])
            ++suffix;
        const QString head = input.left(prefix);
        const QString tail = input.right(suffix);
        const QString added = input.mid(prefix, input.size() - prefix - suffix);
        qsizetype fits = 0;
        for (qsizetype next = 0; next < added.size(); next = fits) {
            next += added[next].isHighSurrogate() && next + 1 < added.size() ? 2 : 1;
            if (gbkByteLength(head + added.left(next) + tail) > m_maxBytes)
                break;
            fits = next;
        }
        if (fits == 0)
            return Invalid;
        input = head + added.left(fits) + tail;
        position = int(prefix + fits);
        return Acceptable;
    }

    int m_maxBytes;
    QLineEdit* m_edit;
    mutable QString m_accepted;
    mutable qsizetype m_acceptedBytes;
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
    combo->setValidator(new GbkLimitValidator(maxBytes, combo->lineEdit()));
}
