#include "workbookwriter.h"

#include "tablesnapshot.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QVector>
#include <cmath>
#include <utility>
#include <xlsxwriter.h>

namespace WorkbookWriter {

namespace {

constexpr double widestColumn = 60;

// Display width in Excel's character units: CJK and other wide characters count
// two; a text with line breaks is as wide as its longest line.
int displayWidth(const QString& text) {
    int widest = 0, line = 0;
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r') {
            line = 0;
            continue;
        }
        line += c.unicode() >= 0x1100 ? 2 : 1;
        widest = std::max(widest, line);
    }
    return widest;
}

// Excel counts days from 1900 and ends with 9999; other dates stay text, as shown.
bool hasSerial(const QDate& date) {
    return date.isValid() && date.year() >= 1900 && date.year() <= 9999;
}

class Sheet {
public:
    Sheet(lxw_workbook* book, lxw_worksheet* sheet, int columns) : m_sheet(sheet), m_widths(columns, 0) {
        m_bold = workbook_add_format(book);
        format_set_bold(m_bold);
        m_date = workbook_add_format(book);
        format_set_num_format(m_date, "yyyy-mm-dd");
    }

    lxw_error writeRow(const QVector<TableCell>& cells, bool bold) {
        for (int column = 0; column < cells.size(); ++column) {
            if (const lxw_error error = writeCell(column, cells[column], bold ? m_bold : nullptr))
                return error;
        }
        ++m_row;
        return LXW_NO_ERROR;
    }

    lxw_error writeTitle(const QString& title) {
        const lxw_error error =
            worksheet_write_string(m_sheet, m_row++, 0, title.toUtf8().constData(), m_bold);
        return error;
    }

    void fitColumns() {
        for (int column = 0; column < m_widths.size(); ++column)
            worksheet_set_column(m_sheet, column, column, std::min(widestColumn, m_widths[column] + 2.0),
                                 nullptr);
    }

    int truncatedCells() const { return m_truncated; }

private:
    lxw_error writeCell(int column, const TableCell& cell, lxw_format* format) {
        if (column >= m_widths.size())
            m_widths.resize(column + 1, 0);
        QString text = cell.plainText();
        if (cell.kind == TableCell::Number && std::isfinite(cell.number)) {
            note(column, text);
            return worksheet_write_number(m_sheet, m_row, column, cell.number, format);
        }
        if (cell.kind == TableCell::Date && hasSerial(cell.date())) {
            const QDate date = cell.date();
            lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0};
            note(column, text);
            return worksheet_write_datetime(m_sheet, m_row, column, &when, format ? format : m_date);
        }
        if (text.isEmpty())
            return LXW_NO_ERROR;
        if (text.size() > cellTextLimit) {
            qsizetype end = cellTextLimit;
            if (text[end - 1].isHighSurrogate())
                --end;
            text.truncate(end);
            ++m_truncated;
        }
        note(column, text);
        return worksheet_write_string(m_sheet, m_row, column, text.toUtf8().constData(), format);
    }

    void note(int column, const QString& text) {
        m_widths[column] = std::max(m_widths[column], displayWidth(text));
    }

    lxw_worksheet* m_sheet;
    lxw_format* m_bold = nullptr;
    lxw_format* m_date = nullptr;
    QVector<int> m_widths;
    lxw_row_t m_row = 0;
    int m_truncated = 0;
};

// Closes a workbook that a failed reader left half written, so that its
// temporary files go.
struct OpenBook {
    lxw_workbook* book;
    ~OpenBook() {
        if (book)
            workbook_close(book);
    }
    lxw_error close() { return workbook_close(std::exchange(book, nullptr)); }
};

QString reason(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

Result write(const TableSnapshot& table, QIODevice& out, const QString& scratchFolder) {
    // libxlsxwriter writes to a named file only; the finished workbook is copied to out.
    QTemporaryFile scratch(scratchFolder + QStringLiteral("/.workbook-XXXXXX.xlsx"));
    if (!scratch.open())
        return {scratch.errorString(), 0};
    Result result = save(table, scratch.fileName());
    if (!result.error.isEmpty())
        return result;
    QFile workbook(scratch.fileName()); // the workbook was written under the same name anew
    if (!workbook.open(QIODevice::ReadOnly))
        return {workbook.errorString(), 0};
    QByteArray chunk;
    while (!(chunk = workbook.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size())
            return {out.errorString(), 0};
    }
    if (workbook.error() != QFileDevice::NoError)
        return {workbook.errorString(), 0};
    return result;
}

Result save(const TableSnapshot& table, const QString& path) {
    const QByteArray fileName = QFile::encodeName(path);
    QByteArray temporaryFolder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = temporaryFolder.data();
    OpenBook opened{workbook_new_opt(fileName.constData(), &options)};
    lxw_workbook* book = opened.book;
    if (!book)
        return {QStringLiteral("无法建立工作簿"), 0};
    const QByteArray sheetName = table.name.left(31).toUtf8();
    lxw_worksheet* worksheet =
        workbook_add_worksheet(book, sheetName.isEmpty() ? nullptr : sheetName.constData());
    if (!worksheet) // a name Excel does not allow for a sheet
        return {QStringLiteral("工作表名称“%1”无效").arg(table.name), 0};
    Sheet sheet(book, worksheet, int(table.header.size()));

    lxw_error error = LXW_NO_ERROR;
    if (!table.titleLine.isEmpty())
        error = sheet.writeTitle(table.titleLine);
    QVector<TableCell> cells;
    for (const QString& title : table.header)
        cells.append(TableCell::ofText(title));
    if (!error)
        error = sheet.writeRow(cells, true);
    for (int row = 0; row < table.rowCount && !error; ++row) {
        cells.clear();
        table.readRow(row, cells);
        error = sheet.writeRow(cells, false);
    }
    if (!error && !table.lastLine.isEmpty())
        error = sheet.writeRow(table.lastLine, true);
    sheet.fitColumns();

    const lxw_error closed = opened.close();
    if (error)
        return {reason(error), 0};
    if (closed)
        return {reason(closed), 0};
    return {{}, sheet.truncatedCells()};
}

} // namespace WorkbookWriter
