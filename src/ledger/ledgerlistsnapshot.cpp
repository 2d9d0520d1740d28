#include "ledgerlistsnapshot.h"

#include "ledgerlistmodel.h"
#include "ledgernotes.h"
#include "ledgerquery.h"

#include <memory>

TableSnapshot ledgerListSnapshot(const LedgerListModel& model, const LedgerQuery& query) {
    TableSnapshot table;
    table.name = QStringLiteral("账目明细");
    table.dateFrom = query.dateFrom();
    table.dateTo = query.dateTo();
    for (int column = 0; column < LedgerListModel::visibleColumnCount; ++column)
        table.header.append(QString::fromUtf8(LedgerListModel::columnLook(column).caption));
    table.header << QStringLiteral("编号") << QStringLiteral("全额支付") << QStringLiteral("所用位置")
                 << QStringLiteral("正文");
    table.rowCount = model.rowCount();

    auto notes = std::make_shared<LedgerNotes>(model);
    table.readRow = [&model, notes](int index, QVector<TableCell>& cells) {
        const LedgerRow& row = model.row(index);
        const auto text = [&row](LedgerRow::SubItem item) { return TableCell::ofText(row.subItem(item)); };
        const auto number = [&row](LedgerRow::SubItem item) {
            return TableCell::fromNumberText(row.subItem(item));
        };
        const LedgerNotes::Notes& entry = notes->of(index);
        cells.reserve(14);
        cells << TableCell::fromDateText(row.caption) << text(LedgerRow::Name) << text(LedgerRow::Project)
              << text(LedgerRow::Category) << text(LedgerRow::Mode) << number(LedgerRow::Price)
              << number(LedgerRow::Quantity) << text(LedgerRow::Unit) << number(LedgerRow::Amount)
              << number(LedgerRow::Deposit) << number(LedgerRow::Key)
              << TableCell::ofText(row.paidInFull() ? QStringLiteral("是") : QStringLiteral("否"))
              << TableCell::ofText(entry.places) << TableCell::ofText(entry.text);
    };

    // The exact sums' nearest doubles: written with 15 digits, they are the sums.
    const Money total = query.totalAmount(), paid = query.paidAmount();
    table.lastLine = {TableCell::ofText(QStringLiteral("合计")),   TableCell::ofNumber(total.toDouble()),
                      TableCell::ofText(QStringLiteral("已付款")), TableCell::ofNumber(paid.toDouble()),
                      TableCell::ofText(QStringLiteral("未付款")), TableCell::ofNumber((total - paid).toDouble())};
    return table;
}
