#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

// The editor of a budget cell: a line edit that takes only what the ledger editor's
// unsigned number boxes take (digits and one ".", at most ten characters), typed or
// pasted.
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
