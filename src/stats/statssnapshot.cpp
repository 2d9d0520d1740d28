#include "statssnapshot.h"

#include "query.h"
#include "statsconfiguration.h"

TableSnapshot statsSnapshot(const StatsConfiguration& configuration, const Query& query, const QString& from,
                            const QString& to) {
    TableSnapshot table;
    table.name = QString::fromUtf8(configuration.caption);
    table.header << QString::fromUtf8(configuration.labelTitle) << QStringLiteral("金额(元)")
                 << QStringLiteral("数量");
    if (!query.isOpen())
        return table;
    table.dateFrom = from;
    table.dateTo = to;
    table.titleLine = QStringLiteral("%1(%2至%3)").arg(table.name, from, to);
    table.rowCount = query.rowCount();

    const QString labelField = QString::fromUtf8(configuration.labelField);
    const bool datedLabels = labelField.compare(QLatin1String("dates"), Qt::CaseInsensitive) == 0;
    const int label = query.columnIndex(labelField);
    const int amount = query.columnIndex(QStringLiteral("VT"));
    const int count = query.columnIndex(QStringLiteral("RT"));
    table.readRow = [&query, datedLabels, label, amount, count](int row, QVector<TableCell>& cells) {
        const auto number = [&query, row](int column) {
            const QVariant value = query.valueAt(row, column);
            return value.isNull() ? TableCell{} : TableCell::ofNumber(value.toDouble());
        };
        const QString text = query.valueAt(row, label).toString();
        cells = {datedLabels ? TableCell::fromDateText(text) : TableCell::ofText(text), number(amount),
                 number(count)};
    };
    return table;
}
