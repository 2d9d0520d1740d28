#include "exportmenu.h"

#include "clipboardwriter.h"
#include "csvwriter.h"
#include "filedialogs.h"
#include "messages.h"
#include "workbookwriter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSaveFile>
#include <algorithm>
#include <exception>

namespace {

// Keeps the wait cursor up while a long list is written.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

ExportMenu* ExportMenu::install(QAbstractItemView* view, Snapshot snapshot) {
    return new ExportMenu(view, std::move(snapshot));
}

ExportMenu::ExportMenu(QAbstractItemView* view, Snapshot snapshot)
    : QObject(view), m_view(view), m_snapshot(std::move(snapshot)), m_menu(new QMenu(view)) {
    setObjectName(QStringLiteral("ExportMenu"));
    m_menu->setObjectName(QStringLiteral("ExportMenuPopup"));
    addAction("ExportCsv", QStringLiteral("导出为表格(CSV)…"), &ExportMenu::exportCsv);
    addAction("ExportXlsx", QStringLiteral("导出为 Excel 表格(.xlsx)…"), &ExportMenu::exportWorkbook);
    addAction("Copy", QStringLiteral("复制"), &ExportMenu::copy);
    // The mouse's request reaches the viewport, the keyboard's the view.
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

QAction* ExportMenu::addAction(const char* name, const QString& caption, void (ExportMenu::*handler)()) {
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

bool ExportMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        popUp(request->reason() == QContextMenuEvent::Mouse ? request->globalPos() : keyboardPosition());
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched == m_view) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (menuKey || shiftF10) {
            popUp(keyboardPosition());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ExportMenu::popUp(const QPoint& globalPosition) {
    if (!m_menu->isVisible())
        m_menu->popup(globalPosition);
}

// Under the current row, or the list's top left corner when it has none.
QPoint ExportMenu::keyboardPosition() const {
    const QRect row = m_view->visualRect(m_view->currentIndex());
    const QPoint corner = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
    return m_view->viewport()->mapToGlobal(corner);
}

QList<int> ExportMenu::selectedRows() const {
    QList<int> rows;
    if (const QItemSelectionModel* selection = m_view->selectionModel()) {
        for (const QModelIndex& index : selection->selectedRows())
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ExportMenu::exportCsv() {
    exportTo(QStringLiteral("csv"), QStringLiteral("导出为表格(CSV)"), QStringLiteral("CSV 表格|*.csv"),
             [](const TableSnapshot& table, QSaveFile& file) {
                 return CsvWriter::write(table, file) ? QString() : file.errorString();
             });
}

void ExportMenu::exportWorkbook() {
    int truncated = 0;
    exportTo(QStringLiteral("xlsx"), QStringLiteral("导出为 Excel 表格"), QStringLiteral("Excel 表格|*.xlsx"),
             [&truncated](const TableSnapshot& table, QSaveFile& file) {
                 const WorkbookWriter::Result result =
                     WorkbookWriter::write(table, file, QFileInfo(file.fileName()).absolutePath());
                 truncated = result.truncatedCells;
                 return result.error;
             });
    if (truncated > 0)
        Messages::warning(m_view,
                          QStringLiteral("表格已保存,但有 %1 个单元格的文字超过 Excel 单元格的上限 %2 "
                                         "个字符,表格里只有前 %2 个字符。完整的文字请导出为 CSV。")
                              .arg(truncated)
                              .arg(WorkbookWriter::cellTextLimit));
}

void ExportMenu::exportTo(const QString& suffix, const QString& caption, const QString& filter,
                          const Writer& write) {
    const QString proposed = QDir::current().absoluteFilePath(m_snapshot().proposedFileName(suffix));
    const QString path = FileDialogs::saveFileName(m_view, caption, filter, proposed);
    if (path.isEmpty())
        return;
    // Taken again after the dialog, in case the list changed meanwhile.
    const TableSnapshot table = m_snapshot();
    QString problem;
    {
        WaitCursor wait;
        problem = save(path, table, write);
    }
    if (!problem.isEmpty())
        Messages::error(m_view,
                        QStringLiteral("无法保存文件“%1”:%2").arg(QFileInfo(path).fileName(), problem));
}

// The file holds either the whole new table or what it held before: QSaveFile
// writes beside it, flushes to disk and renames only when everything was written.
QString ExportMenu::save(const QString& path, const TableSnapshot& table, const Writer& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString problem;
    try {
        problem = write(table, file);
    } catch (const std::exception& failed) {
        // A reader behind the table failed (the ledger file went away, say).
        problem = QString::fromUtf8(failed.what());
    }
    if (!problem.isEmpty())
        return problem; // the file is left as it was
    return file.commit() ? QString() : file.errorString();
}

void ExportMenu::copy() {
    const TableSnapshot table = m_snapshot();
    QApplication::clipboard()->setMimeData(ClipboardWriter::mimeData(table, selectedRows()));
}
