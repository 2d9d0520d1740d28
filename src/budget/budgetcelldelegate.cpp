#include "budgetcelldelegate.h"

#include "ledgerentryrules.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr int budgetLength = 10;

} // namespace

QWidget* BudgetCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("BudgetEdit"));
    box->setAccessibleName(QStringLiteral("预算(元)"));
    box->setMaxLength(budgetLength);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editor = box;
    return box;
}

void BudgetCellDelegate::commitOpenEditor() {
    if (m_editor)
        Q_EMIT commitData(m_editor);
}

bool BudgetCellDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool types = !key->text().isEmpty() && key->text().front().isPrint();
        if (types && !LedgerEntryRules::acceptsCharacter(key->text().front(), box->text(),
                                                         box->cursorPosition(), false))
            return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
