#pragma once

#include "money.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

// The fields a bill line may give to a ledger entry, one column of the bill each.
enum class BillField { Date, Name, Amount, Counterparty, Reference, Note, Direction, Status, Kind, Count };
constexpr int billFieldCount = int(BillField::Count);

// Which column (from 0) holds each field; -1 for none.
struct ColumnMapping {
    std::array<int, billFieldCount> columns;
    ColumnMapping() { columns.fill(-1); }
    int& operator[](BillField field) { return columns[size_t(field)]; }
    int operator[](BillField field) const { return columns[size_t(field)]; }
    bool isComplete() const; // date and amount, and a name or counterparty
    friend bool operator==(const ColumnMapping& a, const ColumnMapping& b) { return a.columns == b.columns; }
};

// One payment line of a bill, as the bill gives it.
struct BillLine {
    int row = 0;       // the file's row, from 1
    QString date;      // YYYY-MM-DD; empty when the text is no date
    QString counterparty;
    QString goods;     // 商品说明 / 商品 / a statement's summary
    QString direction; // 支出, 收入, 不计收支 (or "/"), or empty
    QString amountText;
    std::optional<Money> amount; // none when the text is no amount
    QString status;
    QString kind;      // 交易分类 / 交易类型
    QString orderNumber;
    QString note;
};

// A bill read from one file: which kind it is, its header and its lines.
struct BillFile {
    QString path;
    QString source;  // "支付宝", "微信支付", or "表格" for any other table
    QStringList header;
    int headerRow = 0; // from 1
    QVector<QStringList> dataRows;
    ColumnMapping mapping;
    bool knownFormat = false;
    QVector<BillLine> lines; // from dataRows through mapping

    // Rebuilds lines from dataRows with another mapping (a table mapped by hand).
    void remap(const ColumnMapping& newMapping);
};

// Reads bills by their content, not by their file name. Throws BillError.
namespace BillReader {

// Files larger than this are refused before they are read.
constexpr qint64 largestFile = 20 * 1024 * 1024;

BillFile read(const QString& path);
// The rows of a file: an .xlsx's first sheet, or CSV text.
QVector<QStringList> rowsOf(const QString& path);
// Finds the header among the rows and makes the bill; path names the source.
BillFile fromRows(const QString& path, const QVector<QStringList>& rows);

// "¥1,028.16", " 28.16 ", "-3" → the exact amount; none for anything else.
std::optional<Money> amountOf(const QString& text);
// "2026-12-01 10:00:00", "2026/12/1", "20261201", an Excel day number → "2026-12-01".
QString dateOf(const QString& text);

} // namespace BillReader
