#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <array>

// One row of the ledger browser's list: the entry's date as the caption and eleven
// sub-items, all of them text. The browser's list model holds these rows; the
// ledger query fills them, the editor reads the selected row and writes saved
// entries back, and the printed list prints them.
//
//   caption            entry date YYYY-MM-DD, as stored (not trimmed)
//   Name        (0)    entry name, trimmed
//   Project     (1)    project name, trimmed; empty when the project no longer exists
//   Category    (2)    category name, not trimmed; empty when the category no longer exists
//   Mode        (3)    expense mode, trimmed
//   Price       (4)    unit price
//   Quantity    (5)    quantity
//   Unit        (6)    unit of measure, trimmed
//   Amount      (7)    amount of the entry
//   Deposit     (8)    deposit paid; empty for an entry paid in full
//   Key         (9)    the entry's MID (not shown in the list)
//   PaidMarker (10)    "Y" for an entry paid in full, "N" otherwise (not shown)
//
// Numbers are in their default text form: general format, "." as the decimal
// separator, at most 15 significant digits (300, 12.5); a missing value is empty.
struct LedgerRow {
    enum SubItem { Name, Project, Category, Mode, Price, Quantity, Unit, Amount, Deposit, Key, PaidMarker };
    static constexpr int subItemCount = 11;

    QString caption;
    std::array<QString, subItemCount> subItems;

    const QString& subItem(SubItem which) const { return subItems[which]; }
    QString& subItem(SubItem which) { return subItems[which]; }

    bool paidInFull() const { return subItems[PaidMarker] == QLatin1String("Y"); }

    // "Y" or "N", shared by every row.
    static const QString& paidMarker(bool paidInFull);

    // The default text form of a column value: numbers in general format, a missing
    // value as empty text, anything else as its text.
    static QString cellText(const QVariant& value);

    // The number a cell holds, read with "." as the decimal separator; an empty cell,
    // or one that holds no number, counts as 0.
    static double cellNumber(const QString& text);
    static double cellNumber(QByteArrayView utf8);

    // cellText() of a number, as UTF-8 into out; returns its length.
    static int numberText(double number, char (&out)[40]);
};
