#pragma once

#include "contractfigures.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QHash>

class QTreeView;
class QTreeWidget;

// The entries a stage may be given, each with a check box. A model rather than one
// widget item per entry: a ledger of ten years offers a hundred thousand.
class PaymentChoices : public QAbstractTableModel {
    Q_OBJECT
public:
    PaymentChoices(QVector<StagePayment> entries, QHash<qint64, QString> projectNames, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QVector<StagePayment> checked() const;

private:
    QVector<StagePayment> m_entries;
    QVector<bool> m_checked;
    QHash<qint64, QString> m_projectNames;
};

// "从账目中选择…": the ledger entries under no stage, the contract's project's first,
// each with a check box; 确定 hands back the checked ones.
class PaymentPicker : public QDialog {
    Q_OBJECT
public:
    PaymentPicker(const QVector<StagePayment>& entries, const QHash<qint64, QString>& projectNames,
                  const QString& stageName, QWidget* parent = nullptr);

    QVector<StagePayment> chosen() const;
    QTreeView* list() const { return m_list; }

private:
    PaymentChoices* m_choices;
    QTreeView* m_list;
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
