#include "changenotice.h"

ChangeNotice::ChangeNotice(const QString& table, const QString& noun, QWidget* parent)
    : QToolButton(parent), m_table(table), m_noun(noun) {
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
    const QString text =
        m_unknown || m_keys.isEmpty()
            ? QStringLiteral("%1可能已被其他人修改，点此刷新").arg(m_noun.mid(1))
            : QStringLiteral("有 %1 %2被其他人修改，点此刷新").arg(m_keys.size()).arg(m_noun);
    setText(text);
    setAccessibleName(text);
    show();
}
