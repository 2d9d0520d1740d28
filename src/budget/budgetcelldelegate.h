#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

// The editor of a budget cell: a line edit that keeps whatever is typed or pasted,
// so that the model judges the whole text and refuses what is no budget.
class BudgetCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

    // Hands a budget still being typed to the model, as leaving the cell would.
    void commitOpenEditor();

private:
    mutable QPointer<QWidget> m_editor;
};
