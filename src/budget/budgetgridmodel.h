#pragma once

#include "budgetsums.h"
#include "budgettable.h"

#include <QAbstractTableModel>

#include <optional>

// The rows of the budget window's grid: one per project (or per category), in key
// order, then one for each key with a budget or spending but no row in the lookup
// list any more (listed with an empty name), and the row "总计" with the overall
// budget last. The budget column is editable; typed budgets stay pending, and stay
// across a reload, until they are saved or undone.
class BudgetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        KeyColumn,
        NameColumn,
        BudgetColumn,
        SpentColumn,
        PaidColumn,
        UnpaidColumn,
        RemainingColumn,
        UsedColumn,
        ColumnCount
    };

    // A project or category: its key (MID) and name.
    struct Named {
        qint64 key;
        QString name;
    };
    using NameList = QVector<Named>;

    struct Row {
        BudgetKey key;
        QString name;
        Spending spending;
    };

    explicit BudgetGridModel(QObject* parent = nullptr);

    void setLedger(const NameList& projects, const NameList& categories,
                   const QHash<BudgetKey, double>& budgets, const BudgetSums& sums);
    // Shows the projects' or the categories' budgets.
    void setKind(BudgetKey::Kind kind);
    BudgetKey::Kind kind() const { return m_kind; }

    const QVector<Row>& rows() const { return m_rows; }
    // The budget the row shows: typed or stored; none when it has no budget.
    std::optional<double> budget(int row) const;
    bool isChanged(int row) const;

    // Takes typed text as the row's budget; empty text removes the budget. Text that
    // is no number, a negative number or one with more digits than a double keeps is
    // refused whole: returns why, or an empty text when it was taken.
    QString setBudgetText(int row, const QString& text);

    QVector<BudgetChange> changes() const;
    bool hasChanges() const { return !m_pending.isEmpty(); }
    void revert();
    // The pending budgets have been stored.
    void markSaved();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // A typed budget was refused (through setData), with the message for the user.
    void refused(const QString& message);

private:
    void rebuild();
    std::optional<double> budgetOf(const BudgetKey& key) const;
    QString cellText(const Row& row, int column) const;

    NameList m_projects;
    NameList m_categories;
    QHash<BudgetKey, double> m_stored;
    QHash<BudgetKey, std::optional<double>> m_pending;
    BudgetSums m_sums;
    BudgetKey::Kind m_kind = BudgetKey::Project;
    QVector<Row> m_rows;
};
