#include "clipboardwriter.h"

#include "tablesnapshot.h"

#include <QMimeData>

namespace ClipboardWriter {

namespace {

QVector<TableCell> headerCells(const TableSnapshot& table) {
    QVector<TableCell> cells;
    for (const QString& title : table.header)
        cells.append(TableCell::ofText(title));
    return cells;
}

// Calls line for the header, then for each chosen row.
template <class Line> void forEachLine(const TableSnapshot& table, const QList<int>& rows, Line line) {
    line(headerCells(table), true);
    QVector<TableCell> cells;
    const auto addRow = [&](int row) {
        cells.clear();
        table.readRow(row, cells);
        line(cells, false);
    };
    if (rows.isEmpty()) {
        for (int row = 0; row < table.rowCount; ++row)
            addRow(row);
    } else {
        for (int row : rows)
            addRow(row);
    }
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// A spreadsheet pastes a field with a tab, a line break or a quote as one cell when
// it is quoted; a field it would run as a formula gets a leading apostrophe.
QString tabField(const TableCell& cell) {
    QString text = cell.plainText();
    if (cell.looksLikeFormula())
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('"')) || hasLineBreak(text))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

QString htmlField(const TableCell& cell) {
    QString text = cell.plainText();
    if (cell.kind == TableCell::Number)
        return text;
    text = text.toHtmlEscaped();
    if (!hasLineBreak(text))
        return text;
    text.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    text.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    text.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    return text;
}

} // namespace

QString tabSeparated(const TableSnapshot& table, const QList<int>& rows) {
    QString out;
    forEachLine(table, rows, [&out](const QVector<TableCell>& cells, bool) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out += QLatin1Char('\t');
            out += tabField(cells[i]);
        }
        out += QLatin1Char('\n');
    });
    return out;
}

QString html(const TableSnapshot& table, const QList<int>& rows) {
    QString out = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table border=\"1\">\n");
    forEachLine(table, rows, [&out](const QVector<TableCell>& cells, bool header) {
        const QLatin1String open(header ? "<th>" : "<td>"), close(header ? "</th>" : "</td>");
        out += QLatin1String("<tr>");
        for (const TableCell& cell : cells) {
            const bool number = cell.kind == TableCell::Number;
            out += number ? QLatin1String("<td align=\"right\">") : open;
            out += htmlField(cell);
            out += number ? QLatin1String("</td>") : close;
        }
        out += QLatin1String("</tr>\n");
    });
    return out + QLatin1String("</table></body></html>\n");
}

QMimeData* mimeData(const TableSnapshot& table, const QList<int>& rows) {
    auto* data = new QMimeData;
    data->setText(tabSeparated(table, rows));
    data->setHtml(html(table, rows));
    return data;
}

} // namespace ClipboardWriter
