#include "changenotice.h"

namespace {

struct Texts {
    const char16_t* counted; // %1 the count, %2 the noun
    const char16_t* unknown; // %1 the noun without its measure word
};

// By ChangeNotice::Wording.
constexpr Texts texts[] = {
    {u"有 %1 %2被其他人修改，点此刷新", u"%1可能已被其他人修改，点此刷新"},
    {u"有 %1 %2，点此刷新", u"可能有%1，点此刷新"},
};

} // namespace

ChangeNotice::ChangeNotice(const QString& table, const QString& noun, QWidget* parent, Wording wording)
    : QToolButton(parent), m_table(table), m_noun(noun), m_wording(wording) {
    setObjectName(QStringLiteral("ChangeNotice"));
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    QPalette blue = palette();
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 160));
    setPalette(blue);
    hide();
    connect(this, &QToolButton::clicked, this, &ChangeNotice::refreshRequested);
    connect(&LedgerChanges::instance(), &LedgerChanges::changed, this, &ChangeNotice::note);
    connect(&LedgerChanges::instance(), &LedgerChanges::resumed, this, &ChangeNotice::noteUnknown);
}

void ChangeNotice::reset() {
    m_keys.clear();
    m_unknown = false;
    m_armed = true;
    hide();
}

void ChangeNotice::note(const QString& table, const QList<qint64>& keys) {
    if (table != m_table)
        return;
    if (keys.isEmpty())
        m_unknown = true;
    for (qint64 key : keys)
        m_keys.insert(key);
    showCount();
}

void ChangeNotice::noteUnknown() {
    m_unknown = true;
    showCount();
}

void ChangeNotice::showCount() {
    if (!m_armed)
        return;
    const Texts& wording = texts[int(m_wording)];
    const QString text = m_unknown || m_keys.isEmpty()
                             ? QString::fromUtf16(wording.unknown).arg(m_noun.mid(1))
                             : QString::fromUtf16(wording.counted).arg(m_keys.size()).arg(m_noun);
    setText(text);
    setAccessibleName(text);
    show();
}
