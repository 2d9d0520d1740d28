#include "historytable.h"

#include "exportmenu.h"
#include "historymodel.h"

#include <QHeaderView>
#include <QTableView>

QTableView* makeHistoryTable(QWidget* parent, HistoryModel* model, const QString& name) {
    auto* view = new QTableView(parent);
    view->setObjectName(QStringLiteral("HistoryGrid"));
    view->setAccessibleName(name);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    ExportMenu::install(view, [model, name] {
        TableSnapshot snapshot;
        snapshot.name = name;
        for (int column = 0; column < HistoryModel::ColumnCount; ++column)
            snapshot.header << HistoryModel::headerText(column);
        snapshot.rowCount = model->rowCount();
        snapshot.readRow = [model](int row, QVector<TableCell>& cells) {
            for (int column = 0; column < HistoryModel::ColumnCount; ++column) {
                const QString text = model->cellText(row, column);
                cells << (column == HistoryModel::Key ? TableCell::fromNumberText(text)
                                                      : TableCell::ofText(text));
            }
        };
        return snapshot;
    });
    return view;
}
