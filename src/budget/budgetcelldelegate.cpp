#include "budgetcelldelegate.h"

#include <QLineEdit>

QWidget* BudgetCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    // No validator and no length limit: either would drop a typed "-" or "万"
    // without a word and leave another number in the cell. The model refuses such
    // text with its message instead.
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("BudgetEdit"));
    box->setAccessibleName(QStringLiteral("预算(元)"));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editor = box;
    return box;
}

void BudgetCellDelegate::commitOpenEditor() {
    if (m_editor)
        Q_EMIT commitData(m_editor);
}
