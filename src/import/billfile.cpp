#include "billfile.h"

#include "billerror.h"
#include "billtext.h"
#include "columnmemory.h"
#include "xlsxsheet.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

bool ColumnMapping::isComplete() const {
    return (*this)[BillField::Date] >= 0 && (*this)[BillField::Amount] >= 0 &&
           ((*this)[BillField::Name] >= 0 || (*this)[BillField::Counterparty] >= 0);
}

namespace {

// Blanks, tabs (Alipay ends its order numbers with one) and no-break spaces.
QString cleaned(const QString& cell) {
    QString text = cell;
    text.remove(QLatin1Char('\t'));
    return text.trimmed();
}

// The payment apps' bills, told apart by their header's column names. A column
// may go by several names as the apps change their exports.
struct KnownFormat {
    const char* source;
    const char* marker; // a column only this format has
    std::array<const char*, billFieldCount> names; // "|" between alternatives, empty for none
};

const KnownFormat knownFormats[] = {
    {"支付宝",
     "交易订单号",
     {"交易时间|交易创建时间|付款时间", "商品说明|商品名称", "金额|金额（元）|金额(元)", "交易对方", "交易订单号",
      "备注", "收/支", "交易状态", "交易分类|类型"}},
    {"微信支付",
     "交易单号",
     {"交易时间", "商品", "金额(元)|金额（元）|金额", "交易对方", "交易单号", "备注", "收/支", "当前状态",
      "交易类型"}},
};

const char* const fieldNames[billFieldCount] = {"交易时间", "商品说明", "金额", "交易对方", "交易订单号",
                                                "备注", "收/支", "交易状态", "交易分类"};

int columnNamed(const QStringList& header, const char* names) {
    for (const QString& name : QString::fromUtf8(names).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        for (int i = 0; i < header.size(); ++i) {
            if (cleaned(header[i]) == name)
                return i;
        }
    }
    return -1;
}

// Guesses for any other table (a bank statement, a hand-kept list).
ColumnMapping guessedMapping(const QStringList& header) {
    static const std::array<const char*, billFieldCount> guesses = {
        "日期|交易日期|记账日期|交易时间|付款日期|时间",
        "名称|摘要|商品|用途|交易摘要|说明|商品说明",
        "金额|交易金额|支出|支出金额|金额(元)|金额（元）|合计",
        "对方户名|交易对方|对方名称|对方|收款人|商家",
        "流水号|交易流水号|凭证号|参考号|订单号|交易单号",
        "备注|附言",
        "收/支|收支",
        "",
        ""};
    ColumnMapping mapping;
    for (int f = 0; f < billFieldCount; ++f)
        mapping.columns[size_t(f)] = columnNamed(header, guesses[size_t(f)]);
    return mapping;
}

bool looksLikeHeader(const QStringList& row) {
    int named = 0;
    for (const QString& cell : row) {
        const QString text = cleaned(cell);
        if (!text.isEmpty() && !BillReader::amountOf(text) && BillReader::dateOf(text).isEmpty())
            ++named;
    }
    return named >= 3;
}

QString cell(const QStringList& row, int column) {
    return column >= 0 && column < row.size() ? cleaned(row[column]) : QString();
}

} // namespace

void BillFile::remap(const ColumnMapping& newMapping) {
    mapping = newMapping;
    lines.clear();
    for (int i = 0; i < dataRows.size(); ++i) {
        const QStringList& row = dataRows[i];
        BillLine line;
        line.row = headerRow + 1 + i;
        line.date = BillReader::dateOf(cell(row, mapping[BillField::Date]));
        line.goods = cell(row, mapping[BillField::Name]);
        line.counterparty = cell(row, mapping[BillField::Counterparty]);
        line.amountText = cell(row, mapping[BillField::Amount]);
        line.amount = BillReader::amountOf(line.amountText);
        line.direction = cell(row, mapping[BillField::Direction]);
        line.status = cell(row, mapping[BillField::Status]);
        line.kind = cell(row, mapping[BillField::Kind]);
        line.orderNumber = cell(row, mapping[BillField::Reference]);
        line.note = cell(row, mapping[BillField::Note]);
        if (line.goods == QLatin1String("/"))
            line.goods.clear();
        if (line.note == QLatin1String("/"))
            line.note.clear();
        lines << line;
    }
    // A table kept by hand has no direction column: spending there is either all
    // positive, or negative beside positive income.
    if (!knownFormat && mapping[BillField::Direction] < 0) {
        bool anyNegative = false;
        for (const BillLine& line : lines)
            anyNegative = anyNegative || (line.amount && line.amount->fen() < 0);
        for (BillLine& line : lines) {
            if (!line.amount)
                continue;
            if (anyNegative && line.amount->fen() >= 0) {
                line.direction = QStringLiteral("收入");
            } else {
                line.direction = QStringLiteral("支出");
                if (line.amount->fen() < 0)
                    line.amount = -*line.amount;
            }
        }
    }
}

namespace BillReader {

std::optional<Money> amountOf(const QString& text) {
    // Up to 15 digits of yuan and 2 of fen, read digit by digit: a bill holds thousands.
    qint64 fen = 0;
    int yuanDigits = 0, fenDigits = 0;
    bool negative = false, signSeen = false, point = false, any = false;
    for (const QChar c : cleaned(text)) {
        const char16_t u = c.unicode();
        if (u == ',' || u == 0xA5 || u == 0xFFE5)
            continue;
        if ((u == '+' || u == '-') && !signSeen && !any) {
            negative = u == '-';
            signSeen = true;
        } else if (u == '.' && !point && yuanDigits > 0) {
            point = true;
        } else if (u >= '0' && u <= '9') {
            any = true;
            if (point ? ++fenDigits > 2 : ++yuanDigits > 15)
                return std::nullopt;
            fen = fen * 10 + (u - '0');
        } else {
            return std::nullopt;
        }
    }
    if (!any || (point && fenDigits == 0))
        return std::nullopt;
    for (int i = fenDigits; i < 2; ++i)
        fen *= 10;
    return Money::fromFen(negative ? -fen : fen);
}

QString dateOf(const QString& text) {
    const QString t = cleaned(text);
    static const QRegularExpression shape(QStringLiteral("^(\\d{4})[-/.年](\\d{1,2})[-/.月](\\d{1,2})日?(?:[ T].*)?$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(?:\\s.*)?$"));
    static const QRegularExpression excelDay(QStringLiteral("^(\\d{5})(?:\\.\\d+)?$"));
    QRegularExpressionMatch m = shape.match(t);
    if (!m.hasMatch())
        m = compact.match(t);
    if (m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    }
    m = excelDay.match(t);
    if (m.hasMatch()) { // days since 1899-12-30, as spreadsheets count
        const int days = m.captured(1).toInt();
        if (days > 20000 && days < 80000)
            return QDate(1899, 12, 30).addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    }
    return {};
}

QVector<QStringList> rowsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BillError(QStringLiteral("无法打开文件：%1").arg(file.errorString()));
    if (file.size() > largestFile)
        throw BillError(QStringLiteral("文件太大(超过%1MB)，不像是一份账单，没有导入。").arg(largestFile / 1024 / 1024));
    const QByteArray start = file.peek(8);
    if (start.startsWith("PK")) {
        file.close();
        return XlsxSheet::firstSheet(path);
    }
    if (start.startsWith("\xD0\xCF\x11\xE0"))
        throw BillError(QStringLiteral("这是加了密码的Excel文件或旧的.xls文件。请在Excel或WPS里去掉密码，"
                                       "另存为.xlsx或CSV文件再导入。"));
    return BillText::csvRows(BillText::decode(file.readAll()));
}

BillFile fromRows(const QString& path, const QVector<QStringList>& rows) {
    BillFile bill;
    bill.path = path;
    int headerIndex = -1;
    for (int i = 0; i < rows.size() && headerIndex < 0; ++i) {
        for (const KnownFormat& format : knownFormats) {
            if (columnNamed(rows[i], format.marker) < 0 || columnNamed(rows[i], format.names[0]) < 0)
                continue;
            headerIndex = i;
            bill.source = QString::fromUtf8(format.source);
            bill.knownFormat = true;
            for (int f = 0; f < billFieldCount; ++f) {
                bill.mapping.columns[size_t(f)] = columnNamed(rows[i], format.names[size_t(f)]);
                const BillField field = BillField(f);
                const bool required = field == BillField::Date || field == BillField::Amount ||
                                      field == BillField::Direction || field == BillField::Counterparty;
                if (required && bill.mapping.columns[size_t(f)] < 0)
                    throw BillError(QStringLiteral("这份%1账单的表头缺少“%2”一栏，无法导入。")
                                        .arg(bill.source, QString::fromUtf8(fieldNames[f])));
            }
            break;
        }
    }
    if (headerIndex < 0) {
        for (int i = 0; i < rows.size() && headerIndex < 0; ++i) {
            if (looksLikeHeader(rows[i]))
                headerIndex = i;
        }
        if (headerIndex < 0)
            throw BillError(QStringLiteral("在文件里找不到账单的表头(一行栏目名称)，无法导入。"));
        bill.source = QStringLiteral("表格");
        bill.mapping = guessedMapping(rows[headerIndex]);
    }
    bill.header = rows[headerIndex];
    while (!bill.header.isEmpty() && cleaned(bill.header.last()).isEmpty())
        bill.header.removeLast(); // the trailing comma of every line
    for (QString& name : bill.header)
        name = cleaned(name);
    bill.headerRow = headerIndex + 1;
    const int requiredCells = 1 + *std::max_element(bill.mapping.columns.cbegin(), bill.mapping.columns.cend());
    for (int i = headerIndex + 1; i < rows.size(); ++i) {
        const QStringList& row = rows[i];
        int filled = 0;
        for (const QString& c : row)
            filled += cleaned(c).isEmpty() ? 0 : 1;
        if (filled <= 1 && bill.knownFormat)
            break; // the footer under the lines ("-----", 导出时间)
        if (bill.knownFormat && row.size() < requiredCells)
            throw BillError(QStringLiteral("账单文件不完整：第%1行只有%2栏，文件也许只下载或复制了一部分。")
                                .arg(i + 1)
                                .arg(row.size()));
        bill.dataRows << row;
    }
    if (!bill.knownFormat) {
        const std::optional<ColumnMapping> remembered = ColumnMemory::mappingFor(bill.header);
        if (remembered)
            bill.mapping = *remembered;
    }
    bill.remap(bill.mapping);
    return bill;
}

BillFile read(const QString& path) {
    return fromRows(path, rowsOf(path));
}

} // namespace BillReader
