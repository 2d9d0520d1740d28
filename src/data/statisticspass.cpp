#include "statisticspass.h"

#include "collation.h"
#include "dberror.h"
#include "money.h"
#include "query.h"
#include "sqlstatement.h"
#include "sqltexts.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace StatisticsPass {

namespace {

enum class Kind { Mode, Project, Category, Location, Date };

std::optional<Kind> kindOf(StatisticText text) {
    if (text == SqlTexts::byExpenseMode)
        return Kind::Mode;
    if (text == SqlTexts::byProject)
        return Kind::Project;
    if (text == SqlTexts::byCategory)
        return Kind::Category;
    if (text == SqlTexts::byLocation)
        return Kind::Location;
    if (text == SqlTexts::byDate)
        return Kind::Date;
    return std::nullopt;
}

// A stored value as the engine orders it: nulls, then numbers, then texts, then
// blobs.
struct Value {
    int type = SqlStatement::Null;
    qint64 integer = 0;
    double real = 0;
    std::string bytes; // of a text or blob

    static Value of(const SqlStatement& row, int column) {
        Value v;
        v.type = row.type(column);
        if (v.type == SqlStatement::Integer)
            v.integer = row.integer(column);
        else if (v.type == SqlStatement::Real)
            v.real = row.real(column);
        else if (v.type != SqlStatement::Null)
            v.bytes.assign(row.bytes(column), size_t(row.size(column)));
        return v;
    }

    // The value as Query holds a cell.
    QVariant variant() const {
        switch (type) {
        case SqlStatement::Integer:
            return QVariant(qlonglong(integer));
        case SqlStatement::Real:
            return QVariant(real);
        case SqlStatement::Text:
            return QVariant(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
        case SqlStatement::Blob:
            return QVariant(QByteArray(bytes.data(), qsizetype(bytes.size())));
        default:
            return {};
        }
    }

    // One string per distinct value, to find its group.
    std::string groupKey() const {
        std::string key(1, char('0' + type));
        if (type == SqlStatement::Integer)
            key.append(reinterpret_cast<const char*>(&integer), sizeof integer);
        else if (type == SqlStatement::Real)
            key.append(reinterpret_cast<const char*>(&real), sizeof real);
        else
            key += bytes;
        return key;
    }
};

int rank(int type) {
    switch (type) {
    case SqlStatement::Null:
        return 0;
    case SqlStatement::Integer:
    case SqlStatement::Real:
        return 1;
    case SqlStatement::Text:
        return 2;
    default:
        return 3;
    }
}

// The engine's order of two values; texts in the PINYIN collation when pinyin.
int compare(const Value& a, const Value& b, bool pinyin) {
    if (rank(a.type) != rank(b.type))
        return rank(a.type) < rank(b.type) ? -1 : 1;
    switch (rank(a.type)) {
    case 0:
        return 0;
    case 1: {
        if (a.type == SqlStatement::Integer && b.type == SqlStatement::Integer)
            return a.integer < b.integer ? -1 : a.integer > b.integer;
        const double x = a.type == SqlStatement::Integer ? double(a.integer) : a.real;
        const double y = b.type == SqlStatement::Integer ? double(b.integer) : b.real;
        return x < y ? -1 : x > y;
    }
    case 2:
        if (pinyin) {
            const int order =
                comparePinyin(QString::fromUtf8(a.bytes.data(), qsizetype(a.bytes.size())),
                              QString::fromUtf8(b.bytes.data(), qsizetype(b.bytes.size())));
            if (order != 0)
                return order;
        }
        [[fallthrough]];
    default:
        return a.bytes.compare(b.bytes) < 0 ? -1 : a.bytes.compare(b.bytes) > 0;
    }
}

// One entry's amount as SUM() takes it: none for null, an integer, or any other
// value (a real, or a text or blob read as the number it starts with).
struct Amount {
    enum Kind { None, Integer, Other } kind = None;
    Money value;

    static Amount of(const SqlStatement& row, int column) {
        switch (row.type(column)) {
        case SqlStatement::Null:
            return {};
        case SqlStatement::Integer:
            return {Integer, Money::fromInteger(row.integer(column))};
        default:
            return {Other, Money::fromDouble(row.real(column))};
        }
    }
};

// SUM() and COUNT(*) of one group, the sum exact: null when no value was summed,
// an integer while every value summed was one (as the engine's SUM gives).
struct GroupSum {
    Money sum;
    qint64 values = 0;
    qint64 rows = 0;
    bool integers = true;

    void add(const Amount& amount) {
        ++rows;
        if (amount.kind == Amount::None)
            return;
        sum += amount.value;
        integers = integers && amount.kind == Amount::Integer;
        ++values;
    }
    void add(const GroupSum& other) {
        sum += other.sum;
        values += other.values;
        rows += other.rows;
        integers = integers && other.integers;
    }
    QVariant sumValue() const {
        if (values == 0)
            return {};
        if (integers && sum.isExact() && sum.fen() % 100 == 0 &&
            std::abs(sum.fen() / 100) < (qint64(1) << 62))
            return QVariant(qlonglong(sum.fen() / 100));
        return QVariant(sum.toDouble());
    }
    QVariant count() const { return QVariant(qlonglong(rows)); }
};

QString groupColumns(Kind kind) {
    switch (kind) {
    case Kind::Mode:
        return QStringLiteral("CTYPE");
    case Kind::Project:
        return QStringLiteral("CID");
    case Kind::Category:
        return QStringLiteral("DID");
    case Kind::Location: {
        // The text's own tests "flag=1", as the bits of one number.
        QStringList bits;
        for (int i = 0; i < SqlTexts::locationCount; ++i)
            bits << QStringLiteral("case when %1=1 then %2 else 0 end")
                        .arg(QString::fromLatin1(SqlTexts::locations()[i].flag))
                        .arg(1 << i);
        return bits.join(QLatin1Char('+'));
    }
    case Kind::Date:
        return QStringLiteral("DATES");
    }
    return {};
}

// The names of a lookup table by key, for the text's LEFT JOIN on MID: only an
// integer key meets a MID, and a key that several rows have joins each of them.
std::unordered_multimap<qint64, Value> lookupNames(const SqlConnection& db, const QString& table,
                                                   const QString& column) {
    SqlStatement names(db, QStringLiteral("select MID,%1 from %2").arg(column, table));
    std::unordered_multimap<qint64, Value> byKey;
    while (names.step()) {
        if (names.type(0) == SqlStatement::Integer)
            byKey.emplace(names.integer(0), Value::of(names, 1));
    }
    return byKey;
}

// Every entry of the range read once and added to its group as it comes: exact sums
// need no particular order.
class Pass {
public:
    Pass(const SqlConnection& db, Kind kind) : m_db(db), m_kind(kind) {
        if (kind == Kind::Location) {
            m_groups.resize(SqlTexts::locationCount);
            m_flagSets.resize(size_t(1) << SqlTexts::locationCount);
        }
    }

    void read(const QString& from, const QString& to) {
        if (m_db.engine() == SqlDialect::Engine::Server)
            readGroupsOnServer(from, to);
        else
            readEntries(from, to);
        for (size_t flags = 1; flags < m_flagSets.size(); ++flags)
            for (size_t flag = 0; flag < m_groups.size(); ++flag)
                if (flags & (size_t(1) << flag))
                    m_groups[flag].add(m_flagSets[flags]);
        m_flagSets.clear();
    }

    // The result rows, row-major in the text's columns.
    QVector<QVariant> rows() const {
        switch (m_kind) {
        case Kind::Mode:
            return modeRows();
        case Kind::Project:
            return keyedRows(QStringLiteral("项目"), QStringLiteral("NAMES"));
        case Kind::Category:
            return keyedRows(QStringLiteral("归类"), QStringLiteral("DNAMES"));
        case Kind::Location:
            return locationRows();
        case Kind::Date:
            return dateRows();
        }
        return {};
    }

private:
    void readEntries(const QString& from, const QString& to) {
        SqlStatement entries(
            m_db, m_db.entriesInRange(QStringLiteral("ALLMONEY,%1").arg(groupColumns(m_kind)), from, to),
            {from, to});
        while (entries.step()) {
            const Amount amount = Amount::of(entries, 0);
            m_total.add(amount);
            groupOf(entries, 1).add(amount);
        }
    }

    // A server groups the entries itself and sums them exactly: each amount as the
    // shortest text that gives its double back (as the server prints a double while
    // extra_float_digits is positive), read as numeric. Only the groups travel.
    // (Summing four-place amounts as integers apart, as MoneyTally does, costs the
    // server more in its expressions than it saves.)
    void readGroupsOnServer(const QString& from, const QString& to) {
        m_db.exec(QStringLiteral("set extra_float_digits = 1"));
        SqlStatement groups(m_db,
                            QStringLiteral("select %1, count(*), count(ALLMONEY), sum(ALLMONEY::text::numeric)::text "
                                           "from 明细 where DATES>=? and DATES<=? group by 1")
                                .arg(groupColumns(m_kind)),
                            {from, to});
        while (groups.step()) {
            GroupSum sum;
            sum.rows = groups.integer(1);
            sum.values = groups.integer(2);
            sum.integers = sum.values == 0; // the server's amounts are doubles
            if (sum.values > 0) {
                const std::optional<Money> exact =
                    Money::fromDecimalText(std::string_view(groups.bytes(3), size_t(groups.size(3))));
                if (!exact)
                    throw DbError(QStringLiteral("服务器返回的金额无法识别：%1")
                                      .arg(QString::fromUtf8(groups.bytes(3), groups.size(3))));
                sum.sum = *exact;
            }
            m_total.add(sum);
            groupOf(groups, 0).add(sum);
        }
    }

    // The group of the row's value in column: the set of flags for locations.
    GroupSum& groupOf(const SqlStatement& row, int column) {
        switch (m_kind) {
        case Kind::Location:
            // Summed by the set of flags first: one addition per entry, however many
            // places it names; the places get their sums in read().
            return m_flagSets[size_t(row.integer(column)) & (m_flagSets.size() - 1)];
        case Kind::Date:
            return group(dayOf(row, column));
        case Kind::Project:
        case Kind::Category:
            if (row.type(column) == SqlStatement::Integer)
                return group(integerGroup(row.integer(column)));
            [[fallthrough]];
        case Kind::Mode:
            break;
        }
        return group(valueGroup(row, column));
    }

    GroupSum& group(int index) {
        if (size_t(index) >= m_groups.size())
            m_groups.resize(size_t(index) + 1);
        return m_groups[size_t(index)];
    }

    int newGroup(Value key) {
        m_keys.push_back(std::move(key));
        return int(m_keys.size()) - 1;
    }

    int integerGroup(qint64 key) {
        const auto found = m_groupByInteger.find(key);
        if (found != m_groupByInteger.end())
            return found->second;
        Value value;
        value.type = SqlStatement::Integer;
        value.integer = key;
        const int index = newGroup(std::move(value));
        m_groupByInteger.emplace(key, index);
        return index;
    }

    int valueGroup(const SqlStatement& row, int column) {
        // The few modes of a ledger are found by their bytes without building a key.
        if (row.type(column) == SqlStatement::Text) {
            const char* text = row.bytes(column);
            const size_t length = size_t(row.size(column));
            for (const int index : m_textGroups) {
                const std::string& known = m_keys[size_t(index)].bytes;
                if (known.size() == length && std::memcmp(known.data(), text, length) == 0)
                    return index;
            }
            if (m_textGroups.size() < 64) {
                const int index = newGroup(Value::of(row, column));
                m_textGroups.push_back(index);
                return index;
            }
        }
        Value value = Value::of(row, column);
        const auto [found, added] = m_groupByValue.emplace(value.groupKey(), int(m_keys.size()));
        if (added)
            newGroup(std::move(value));
        return found->second;
    }

    // Dates in the stored form YYYY-MM-DD of years 1900 to 2155 are found by their
    // number, any other text by its bytes. Every date is a group of its own.
    int dayOf(const SqlStatement& row, int column) {
        const char* text = row.bytes(column);
        const size_t length = text ? size_t(row.size(column)) : 0;
        const int serial = dateSerial(text, length);
        if (serial >= 0) {
            if (m_dayBySerial.empty())
                m_dayBySerial.assign(size_t(256 * 16 * 32), -1);
            int& slot = m_dayBySerial[size_t(serial)];
            if (slot < 0)
                slot = newGroup(Value::of(row, column));
            return slot;
        }
        return valueGroup(row, column);
    }

    static int dateSerial(const char* t, size_t length) {
        if (length != 10 || t[4] != '-' || t[7] != '-')
            return -1;
        int digits[8];
        const int at[8] = {0, 1, 2, 3, 5, 6, 8, 9};
        for (int i = 0; i < 8; ++i) {
            digits[i] = t[at[i]] - '0';
            if (digits[i] < 0 || digits[i] > 9)
                return -1;
        }
        const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3] - 1900;
        const int month = digits[4] * 10 + digits[5];
        const int day = digits[6] * 10 + digits[7];
        if (year < 0 || year > 255 || month > 15 || day > 31)
            return -1;
        return (year * 16 + month) * 32 + day;
    }

    GroupSum sumOf(size_t index) const { return index < m_groups.size() ? m_groups[index] : GroupSum{}; }

    static void appendRow(QVector<QVariant>& cells, std::initializer_list<QVariant> row) {
        for (const QVariant& cell : row)
            cells.append(cell);
    }

    void appendTotal(QVector<QVariant>& cells, bool withKey) const {
        if (withKey)
            appendRow(cells, {QStringLiteral("总计"), QVariant(qlonglong(0)), m_total.sumValue(), m_total.count()});
        else
            appendRow(cells, {QStringLiteral("总计"), m_total.sumValue(), m_total.count()});
    }

    std::vector<size_t> groupsInOrder(bool pinyin) const {
        std::vector<size_t> order(m_keys.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return compare(m_keys[a], m_keys[b], pinyin) < 0; });
        return order;
    }

    QVector<QVariant> modeRows() const {
        QVector<QVariant> cells;
        for (const size_t group : groupsInOrder(true))
            appendRow(cells, {m_keys[group].variant(), sumOf(group).sumValue(), sumOf(group).count()});
        appendTotal(cells, false);
        return cells;
    }

    // Projects and categories: the key's name from its table (null when none has the
    // key), ordered by name, then by key.
    QVector<QVariant> keyedRows(const QString& table, const QString& column) const {
        const auto names = lookupNames(m_db, table, column);
        struct Row {
            Value label;
            size_t group;
        };
        std::vector<Row> rows;
        for (size_t group = 0; group < m_keys.size(); ++group) {
            const Value& key = m_keys[group];
            const auto [first, last] = key.type == SqlStatement::Integer
                                           ? names.equal_range(key.integer)
                                           : std::make_pair(names.end(), names.end());
            if (first == last)
                rows.push_back({Value{}, group});
            for (auto it = first; it != last; ++it)
                rows.push_back({it->second, group});
        }
        std::stable_sort(rows.begin(), rows.end(), [this](const Row& a, const Row& b) {
            const int byLabel = compare(a.label, b.label, true);
            return byLabel != 0 ? byLabel < 0 : compare(m_keys[a.group], m_keys[b.group], false) < 0;
        });
        QVector<QVariant> cells;
        for (const Row& row : rows)
            appendRow(cells, {row.label.variant(), m_keys[row.group].variant(), sumOf(row.group).sumValue(),
                              sumOf(row.group).count()});
        appendTotal(cells, true);
        return cells;
    }

    QVector<QVariant> locationRows() const {
        std::vector<int> order(SqlTexts::locationCount);
        for (int i = 0; i < SqlTexts::locationCount; ++i)
            order[size_t(i)] = i;
        const auto label = [](int i) { return QString::fromUtf8(SqlTexts::locations()[i].label); };
        std::sort(order.begin(), order.end(),
                  [&label](int a, int b) { return comparePinyin(label(a), label(b)) < 0; });
        QVector<QVariant> cells;
        for (const int flag : order)
            appendRow(cells, {label(flag), sumOf(size_t(flag)).sumValue(), sumOf(size_t(flag)).count()});
        return cells;
    }

    QVector<QVariant> dateRows() const {
        QVector<QVariant> cells;
        for (const size_t day : groupsInOrder(false))
            appendRow(cells, {m_keys[day].variant(), sumOf(day).sumValue(), sumOf(day).count()});
        appendTotal(cells, false);
        return cells;
    }

    SqlConnection m_db;
    Kind m_kind;
    std::vector<Value> m_keys; // by group (not for locations, whose groups are the flags)
    std::vector<GroupSum> m_groups;
    GroupSum m_total;
    std::vector<GroupSum> m_flagSets; // locations: by the bits of the flags an entry has set
    std::vector<int> m_dayBySerial;
    std::vector<int> m_textGroups;
    std::unordered_map<qint64, int> m_groupByInteger;
    std::unordered_map<std::string, int> m_groupByValue;
};

bool g_lastWasOnePass = false;

} // namespace

void open(Query& query, StatisticText text, const QString& from, const QString& to) {
    g_lastWasOnePass = false;
    const QString sql = text(from, to);
    query.close();
    query.setSql(sql);
    const std::optional<Kind> kind = kindOf(text);
    if (!kind) {
        query.open();
        return;
    }
    const SqlConnection db = SqlConnection::program();
    QStringList columns;
    {
        // Fails as the text fails. A server runs a statement to name its columns:
        // there the text runs with no rows wanted.
        const SqlStatement statement(db, db.engine() == SqlDialect::Engine::Server
                                             ? QStringLiteral("select * from (%1) as statistic limit 0").arg(sql)
                                             : sql);
        for (int i = 0; i < statement.columnCount(); ++i)
            columns << statement.columnName(i);
    }
    Pass pass(db, *kind);
    pass.read(from, to);
    query.setResult(columns, pass.rows());
    g_lastWasOnePass = true;
}

bool lastOpenWasOnePass() {
    return g_lastWasOnePass;
}

} // namespace StatisticsPass
