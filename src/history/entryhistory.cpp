#include "entryhistory.h"

#include "dberror.h"
#include "historymodel.h"
#include "historytable.h"
#include "messages.h"
#include "sqlconnection.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace EntryHistory {

QAction* forLedgerList(QAbstractItemView* view, std::function<qint64()> entryKey) {
    auto* action = new QAction(QStringLiteral("历史"), view);
    action->setObjectName(QStringLiteral("EntryHistory"));
    QObject::connect(action, &QAction::triggered, view, [view, entryKey = std::move(entryKey)] {
        const qint64 key = entryKey();
        if (key > 0)
            show(view, key);
    });
    return action;
}

void show(QWidget* parent, qint64 entryKey) {
    QVector<ChangeHistory::Entry> entries;
    try {
        entries = ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("明细"), entryKey);
    } catch (const DbError& error) {
        Messages::error(parent, QStringLiteral("无法读取历史: ") + error.message());
        return;
    }
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("EntryHistoryDialog"));
    dialog.setWindowTitle(QStringLiteral("历史 - 账目 %1").arg(entryKey));
    auto* model = new HistoryModel(&dialog);
    model->setEntries(entries);
    auto* layout = new QVBoxLayout(&dialog);
    if (entries.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("这条账目还没有修改记录。"), &dialog));
    QTableView* grid = makeHistoryTable(&dialog, model, QStringLiteral("账目历史"));
    grid->resizeColumnsToContents();
    layout->addWidget(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(720, 360);
    dialog.exec();
}

} // namespace EntryHistory
