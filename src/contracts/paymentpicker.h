#pragma once

#include "contractfigures.h"

#include <QDialog>
#include <QHash>

class QTreeWidget;

// "从账目中选择…": the ledger entries under no stage, the contract's project's first,
// each with a check box; 确定 hands back the checked ones.
class PaymentPicker : public QDialog {
    Q_OBJECT
public:
    PaymentPicker(const QVector<StagePayment>& entries, const QHash<qint64, QString>& projectNames,
                  const QString& stageName, QWidget* parent = nullptr);

    QVector<StagePayment> chosen() const;
    QTreeWidget* list() const { return m_list; }

private:
    QVector<StagePayment> m_entries;
    QTreeWidget* m_list;
};

// "关联到合同阶段…": the contracts with their stages; 确定 hands back the chosen stage.
class StageChooser : public QDialog {
    Q_OBJECT
public:
    StageChooser(const QVector<ContractFigures>& contracts, const QString& entryText, qint64 current,
                 QWidget* parent = nullptr);

    qint64 chosenStage() const; // 0 when a contract rather than a stage is selected
    QTreeWidget* list() const { return m_list; }

private:
    QTreeWidget* m_list;
};
