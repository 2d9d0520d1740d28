#include "csvwriter.h"

#include "tablesnapshot.h"

#include <QIODevice>
#include <algorithm>

namespace CsvWriter {

namespace {

constexpr qsizetype flushSize = 1 << 20;

void appendLine(QString& out, const QVector<TableCell>& cells) {
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        out += field(cells[i]);
    }
    out += QLatin1String("\r\n");
}

bool flush(QString& out, QIODevice& device) {
    const QByteArray bytes = out.toUtf8();
    out.clear();
    return device.write(bytes) == bytes.size();
}

} // namespace

QString field(const TableCell& cell) {
    QString text = cell.plainText();
    if (cell.looksLikeFormula())
        text.prepend(QLatin1Char('\''));
    const bool quoted = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\r' || c == u'\n';
    });
    if (!quoted)
        return text;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool write(const TableSnapshot& table, QIODevice& device) {
    QString out = QStringLiteral("\uFEFF");
    if (!table.titleLine.isEmpty())
        appendLine(out, {TableCell::ofText(table.titleLine)});
    QVector<TableCell> cells;
    for (const QString& title : table.header)
        cells.append(TableCell::ofText(title));
    appendLine(out, cells);
    for (int row = 0; row < table.rowCount; ++row) {
        cells.clear();
        table.readRow(row, cells);
        appendLine(out, cells);
        if (out.size() >= flushSize && !flush(out, device))
            return false;
    }
    if (!table.lastLine.isEmpty())
        appendLine(out, table.lastLine);
    return flush(out, device);
}

} // namespace CsvWriter
