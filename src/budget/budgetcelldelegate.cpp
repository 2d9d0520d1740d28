#include "budgetcelldelegate.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

constexpr int budgetLength = 10;

} // namespace

QWidget* BudgetCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("BudgetEdit"));
    box->setAccessibleName(QStringLiteral("预算(元)"));
    box->setMaxLength(budgetLength);
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), box));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editor = box;
    return box;
}

void BudgetCellDelegate::commitOpenEditor() {
    if (m_editor)
        Q_EMIT commitData(m_editor);
}
