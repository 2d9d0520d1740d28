#pragma once

class HistoryModel;
class QString;
class QTableView;
class QWidget;

// The grid both history views show: read-only rows, whole-row selection, and the
// export menu (CSV, .xlsx, 复制) on it, the file named after name.
QTableView* makeHistoryTable(QWidget* parent, HistoryModel* model, const QString& name);
