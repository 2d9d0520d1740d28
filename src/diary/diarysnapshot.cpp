#include "diarysnapshot.h"

#include "diarylistmodel.h"

TableSnapshot diarySnapshot(const DiaryListModel& model) {
    TableSnapshot table;
    table.name = QStringLiteral("装修日记");
    table.header << QStringLiteral("日期") << QStringLiteral("天气") << QStringLiteral("心情")
                 << QStringLiteral("正文");
    table.rowCount = model.rowCount();
    for (int row = 0; row < table.rowCount; ++row) {
        const TableCell date = TableCell::fromDateText(model.entry(row).date);
        if (date.kind != TableCell::Date)
            continue;
        if (table.dateFrom.isEmpty() || date.text < table.dateFrom)
            table.dateFrom = date.text;
        if (date.text > table.dateTo)
            table.dateTo = date.text;
    }
    table.readRow = [&model](int row, QVector<TableCell>& cells) {
        const DiaryEntry& entry = model.entry(row);
        cells = {TableCell::fromDateText(entry.date), TableCell::ofText(entry.weather),
                 TableCell::ofText(entry.mood), TableCell::ofText(entry.text)};
    };
    return table;
}
