#pragma once

#include "ledgerchanges.h"

#include <QSet>
#include <QToolButton>

// The line a window shows when other members changed what it lists:
// "有 3 条账目被其他人修改，点此刷新". Clicking it asks the window to refresh
// (refreshRequested); the window calls reset() whenever it has read the ledger, and
// nothing is counted before its first reading.
//
// It counts the distinct rows of its table changed since then; a change of very many
// rows, or a connection that was lost for a while, only says that rows changed.
// Hidden while nothing changed, and always on a ledger file.
class ChangeNotice : public QToolButton {
    Q_OBJECT
public:
    // How the line reads: rows others changed ("有 3 条账目被其他人修改"), or rows
    // others added to a table that only grows ("有 3 条新的操作记录").
    enum class Wording { Changed, Added };

    // table: the table whose rows the window lists; noun: how the count reads
    // ("条账目", "条新的操作记录").
    ChangeNotice(const QString& table, const QString& noun, QWidget* parent = nullptr,
                 Wording wording = Wording::Changed);

    void reset();
    int changedRows() const { return int(m_keys.size()); }

Q_SIGNALS:
    void refreshRequested();

private:
    void note(const QString& table, const QList<qint64>& keys);
    void noteUnknown();
    void showCount();

    LedgerChanges::Follower m_follower;
    QString m_table;
    QString m_noun;
    Wording m_wording;
    QSet<qint64> m_keys;
    bool m_unknown = false;
    bool m_armed = false; // the window has read the ledger once
};
