#pragma once

#include "tablesnapshot.h"

#include <QObject>
#include <functional>

class QAbstractItemView;
class QAction;
class QMenu;
class QSaveFile;

// The context menu of a window's list or grid (right mouse button, the Menu key or
// Shift+F10): "导出为表格(CSV)…", "导出为 Excel 表格(.xlsx)…" and "复制". The window
// supplies only the snapshot of what it shows; the rest is the same everywhere.
//
// Exports propose a file in the working directory named after the table and its
// date range, ask through FileDialogs, and save through QSaveFile. 复制 puts the
// selected rows, or every row when none is selected, on the clipboard.
class ExportMenu : public QObject {
    Q_OBJECT
public:
    using Snapshot = std::function<TableSnapshot()>;

    // The menu belongs to the view.
    static ExportMenu* install(QAbstractItemView* view, Snapshot snapshot);

    QMenu* menu() const { return m_menu; }

    void exportCsv();
    void exportWorkbook();
    void copy();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ExportMenu(QAbstractItemView* view, Snapshot snapshot);
    QAction* addAction(const char* name, const QString& caption, void (ExportMenu::*handler)());
    void popUp(const QPoint& globalPosition);
    QPoint keyboardPosition() const;
    QList<int> selectedRows() const;
    // Writes the table into the open file; returns the failure's text or empty.
    using Writer = std::function<QString(const TableSnapshot&, QSaveFile&)>;
    // Asks for the file, then writes it.
    void exportTo(const QString& suffix, const QString& caption, const QString& filter, const Writer& write);
    static QString save(const QString& path, const TableSnapshot& table, const Writer& write);

    QAbstractItemView* m_view;
    Snapshot m_snapshot;
    QMenu* m_menu;
};
