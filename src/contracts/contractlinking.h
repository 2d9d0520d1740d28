#pragma once

#include "contractfigures.h"

#include <QHash>
#include <QObject>

class QAbstractItemView;
class QAction;
class QWidget;

// Putting ledger entries under a contract's stage, from either side: the stage's
// "从账目中选择…" and the ledger list's "关联到合同阶段…". An entry of another
// project than the contract's, or one under another stage already, is linked only
// after the user agreed.
namespace ContractLinking {

// Asks where needed, then links; true when something was linked. Failures are shown.
bool link(QWidget* parent, const QVector<StagePayment>& entries, const ContractRecord& contract,
          const StageRecord& stage, const QHash<qint64, QString>& projectNames);

// The names of 项目 by key. Throws DbError.
QHash<qint64, QString> projectNames();

// "关联到合同阶段…" for the ledger list's context menu.
QAction* forLedgerList(QAbstractItemView* view, std::function<qint64()> entryKey);

} // namespace ContractLinking

// Tells the open contract window that links changed elsewhere.
class ContractNotices : public QObject {
    Q_OBJECT
public:
    static ContractNotices& instance();

Q_SIGNALS:
    void linksChanged();

private:
    ContractNotices() = default;
};
