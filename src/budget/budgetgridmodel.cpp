#include "budgetgridmodel.h"

#include "budgetlevels.h"
#include "numbertext.h"

#include <QColor>
#include <QFont>
#include <QSet>

#include <algorithm>

BudgetGridModel::BudgetGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void BudgetGridModel::setLedger(const NameList& projects, const NameList& categories,
                                const QHash<BudgetKey, double>& budgets, const BudgetSums& sums) {
    m_projects = projects;
    m_categories = categories;
    m_stored = budgets;
    m_sums = sums;
    rebuild();
}

void BudgetGridModel::setKind(BudgetKey::Kind kind) {
    m_kind = kind;
    rebuild();
}

void BudgetGridModel::rebuild() {
    beginResetModel();
    m_rows.clear();
    const bool projects = m_kind == BudgetKey::Project;
    const NameList& names = projects ? m_projects : m_categories;
    const QHash<qint64, Spending>& groups = projects ? m_sums.projects : m_sums.categories;
    QSet<qint64> listed;
    for (const Named& named : names) {
        listed.insert(named.key);
        m_rows.append({{m_kind, named.key}, named.name, groups.value(named.key)});
    }
    QList<qint64> orphans;
    const auto keep = [&](const BudgetKey& key) {
        if (key.kind == m_kind && !listed.contains(key.refId) && !orphans.contains(key.refId))
            orphans.append(key.refId);
    };
    for (auto it = m_stored.cbegin(); it != m_stored.cend(); ++it)
        keep(it.key());
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        keep(it.key());
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        keep({m_kind, it.key()});
    std::sort(orphans.begin(), orphans.end());
    for (qint64 key : orphans)
        m_rows.append({{m_kind, key}, QString(), groups.value(key)});
    m_rows.append({{BudgetKey::Total, 0}, QStringLiteral("总计"), m_sums.total});
    endResetModel();
}

std::optional<double> BudgetGridModel::budgetOf(const BudgetKey& key) const {
    const auto pending = m_pending.constFind(key);
    if (pending != m_pending.constEnd())
        return *pending;
    const auto stored = m_stored.constFind(key);
    if (stored != m_stored.constEnd())
        return *stored;
    return std::nullopt;
}

std::optional<double> BudgetGridModel::budget(int row) const {
    return budgetOf(m_rows.at(row).key);
}

bool BudgetGridModel::isChanged(int row) const {
    return m_pending.contains(m_rows.at(row).key);
}

namespace {

// Digits that a double keeps exactly as typed.
constexpr int keptDigits = 15;

// The significant digits of a typed number: those from the first non-zero one to
// the last non-zero one, the exponent not counted.
int significantDigits(const QString& typed) {
    QString digits;
    for (const QChar c : typed) {
        if (c == u'e' || c == u'E')
            break;
        if (c.isDigit())
            digits += c;
    }
    qsizetype first = 0, end = digits.size();
    while (first < end && digits[first] == u'0')
        ++first;
    while (end > first && digits[end - 1] == u'0')
        --end;
    return int(end - first);
}

} // namespace

QString BudgetGridModel::setBudgetText(int row, const QString& text) {
    std::optional<double> amount;
    const QString typed = trimmedText(text);
    if (!typed.isEmpty()) {
        amount = NumberText::parse(typed);
        // "." alone reads as 0 elsewhere, but no one types it as a budget.
        const bool hasDigit = std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isDigit(); });
        if (!amount || !hasDigit)
            return QStringLiteral("预算金额必须是数字!");
        if (*amount < 0)
            return QStringLiteral("预算金额不能是负数!");
        if (significantDigits(typed) > keptDigits)
            return QStringLiteral("预算金额最多 %1 位有效数字!").arg(keptDigits);
    }
    const BudgetKey key = m_rows.at(row).key;
    const auto stored = m_stored.constFind(key);
    const bool same = stored == m_stored.constEnd() ? !amount : amount && *amount == *stored;
    if (same)
        m_pending.remove(key);
    else
        m_pending.insert(key, amount);
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
    return {};
}

QVector<BudgetChange> BudgetGridModel::changes() const {
    QVector<BudgetChange> changes;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const auto read = m_stored.constFind(it.key());
        changes.append({it.key(), it.value(),
                        read == m_stored.cend() ? std::optional<double>() : std::optional<double>(*read)});
    }
    return changes;
}

void BudgetGridModel::revert() {
    m_pending.clear();
    rebuild();
}

void BudgetGridModel::markSaved() {
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.value())
            m_stored.insert(it.key(), *it.value());
        else
            m_stored.remove(it.key());
    }
    m_pending.clear();
    rebuild();
}

int BudgetGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BudgetGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString BudgetGridModel::cellText(const Row& row, int column) const {
    const std::optional<double> budget = budgetOf(row.key);
    switch (column) {
    case KeyColumn:
        return row.key.kind == BudgetKey::Total ? QString() : QString::number(row.key.refId);
    case NameColumn:
        return row.name;
    case BudgetColumn:
        return budget ? NumberText::format(*budget) : QString();
    case SpentColumn:
        return row.spending.spent.text();
    case PaidColumn:
        return row.spending.paid.text();
    case UnpaidColumn:
        return row.spending.unpaid().text();
    case RemainingColumn:
        return budget ? (Money::fromDouble(*budget) - row.spending.spent).text() : QString();
    case UsedColumn:
        return budget ? BudgetLevels::usedPercent(*budget, row.spending.spent) : QString();
    default:
        return {};
    }
}

QVariant BudgetGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cellText(row, index.column());
    case Qt::TextAlignmentRole:
        return int((index.column() == NameColumn ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    case Qt::FontRole:
        if (index.column() == BudgetColumn && isChanged(index.row())) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (index.column() == RemainingColumn &&
            BudgetLevels::level(budget(index.row()).value_or(0), row.spending.spent) == BudgetLevels::Reached)
            return QColor(Qt::red);
        return {};
    default:
        return {};
    }
}

QVariant BudgetGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"编号",     "名称",     "预算(元)", "已用(元)",
                                                    "已付(元)", "未付(元)", "剩余(元)", "已用%"};
    if (section == NameColumn)
        return m_kind == BudgetKey::Project ? QStringLiteral("对应工程") : QStringLiteral("材料类型");
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QString();
}

Qt::ItemFlags BudgetGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == BudgetColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool BudgetGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != BudgetColumn || role != Qt::EditRole)
        return false;
    const QString refusal = setBudgetText(index.row(), value.toString());
    if (refusal.isEmpty())
        return true;
    Q_EMIT refused(refusal);
    return false;
}
