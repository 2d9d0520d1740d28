#include "budgetwarning.h"

#include "budgetcheck.h"
#include "dberror.h"
#include "ledgersaves.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace BudgetWarning {

void install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QObject::connect(&LedgerSaves::instance(), &LedgerSaves::entryStored, qApp,
                     [](QObject* editor, const StoredEntryChange& change) {
                         // Checked once the save's handler has returned, so the save is never held up.
                         QTimer::singleShot(
                             0, qApp, [target = QPointer<QWidget>(qobject_cast<QWidget*>(editor)), change] {
                                 if (!target)
                                     return;
                                 try {
                                     const QStringList lines = BudgetCheck::noticesFor(change);
                                     if (!lines.isEmpty())
                                         show(target, lines);
                                 } catch (const DbError&) {
                                 }
                             });
                     });
    QObject::connect(&LedgerSaves::instance(), &LedgerSaves::entriesImported, qApp,
                     [](QObject* window, const QVector<StoredEntryChange>& changes) {
                         QTimer::singleShot(
                             0, qApp, [target = QPointer<QWidget>(qobject_cast<QWidget*>(window)), changes] {
                                 if (!target)
                                     return;
                                 try {
                                     const QStringList lines = BudgetCheck::noticesFor(changes);
                                     if (!lines.isEmpty())
                                         show(target, lines);
                                 } catch (const DbError&) {
                                 }
                             });
                     });
}

void show(QWidget* editor, const QStringList& lines) {
    auto* box = editor->findChild<QMessageBox*>(QStringLiteral("BudgetNotice"), Qt::FindDirectChildrenOnly);
    if (!box) {
        box = new QMessageBox(QMessageBox::Warning, QStringLiteral("预算提醒"), QString(), QMessageBox::Ok,
                              editor);
        box->setObjectName(QStringLiteral("BudgetNotice"));
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAccessibleName(QStringLiteral("预算提醒"));
    }
    // A message box wraps long lines; a no-break space keeps each amount with its "元",
    // so that no line starts with a lone unit.
    box->setText(lines.join(QLatin1Char('\n')).replace(QStringLiteral(" 元"), QStringLiteral("\u00A0元")));
    box->show();
    box->raise();
}

} // namespace BudgetWarning
