#include "importproposal.h"

#include "ledgerentryrules.h"
#include "sqlconnection.h"
#include "sqlstatement.h"
#include "sqltexts.h"

#include <QFileInfo>
#include <QRegularExpression>

qint64 LookupList::keyOf(const QString& name) const {
    qint64 key = -1;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            key = keys[i];
    }
    return key;
}

namespace {

LookupList lookupList(const SqlConnection& db, const QString& sql) {
    LookupList list;
    SqlStatement rows(db, sql);
    while (rows.step()) {
        list.keys << rows.integer(0);
        list.names << rows.text(1).trimmed();
    }
    return list;
}

bool isRefund(const BillLine& line) {
    const QString refund = QStringLiteral("退款");
    return line.kind.contains(refund) || line.goods.startsWith(refund) || line.status == QStringLiteral("退款成功");
}

// YYYY-MM-DD of a day that exists.
bool isDateText(const QString& text) {
    if (text.size() != 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-'))
        return false;
    bool ok[3] = {};
    const QDate day(text.left(4).toInt(&ok[0]), text.mid(5, 2).toInt(&ok[1]), text.mid(8, 2).toInt(&ok[2]));
    return ok[0] && ok[1] && ok[2] && day.isValid();
}

bool isExpense(const BillLine& line) {
    return line.direction == QStringLiteral("支出");
}

QString closedStatus(const QString& status) {
    for (const char* word : {"关闭", "失败", "撤销", "已全额退款"}) {
        if (status.contains(QString::fromUtf8(word)))
            return status;
    }
    return {};
}

// The order numbers a refund may share with its payment: its own, and each part
// before an underscore (Alipay numbers a refund as the payment's number plus a suffix).
QStringList prefixesOf(const QString& orderNumber) {
    QStringList prefixes{orderNumber};
    for (qsizetype at = orderNumber.indexOf(QLatin1Char('_')); at > 0;
         at = orderNumber.indexOf(QLatin1Char('_'), at + 1))
        prefixes << orderNumber.left(at);
    return prefixes;
}

} // namespace

LedgerFacts LedgerFacts::read(const SqlConnection& db, const QString& from, const QString& to) {
    LedgerFacts facts;
    facts.orderNumbers = ImportStore::importedOrderNumbers(db);
    if (!from.isEmpty())
        facts.byDateAndAmount = ImportStore::entriesByDateAndAmount(db, from, to);
    facts.projects = lookupList(db, QStringLiteral("select MID,NAMES from 项目 order by mid"));
    facts.categories = lookupList(db, QStringLiteral("select MID,DNAMES from 归类 order by mid"));
    return facts;
}

QString ProposedRow::check(const LedgerFacts& facts) const {
    LedgerEntryRules::Fields fields;
    fields.name = name;
    fields.projectChosen = facts.projects.keyOf(project) >= 0;
    fields.modeChosen = !mode.isEmpty();
    fields.totalText = amountText;
    fields.categoryChosen = facts.categories.keyOf(category) >= 0;
    fields.priceText = amountText;
    fields.quantityText = QStringLiteral("1");
    fields.anyLocation = std::find(rooms.cbegin(), rooms.cend(), true) != rooms.cend();
    QString failed = LedgerEntryRules::firstFailedCheck(fields);
    if (failed.isEmpty() && !BillReader::amountOf(amountText))
        failed = QStringLiteral("[产品价格合计]不是金额!");
    if (failed.isEmpty() && !isDateText(date))
        failed = QStringLiteral("[付款日期]不是日期!");
    return failed;
}

ImportEntry ProposedRow::entry(const LedgerFacts& facts) const {
    ImportEntry e;
    e.name = name.trimmed();
    e.date = date;
    e.project = facts.projects.keyOf(project);
    e.category = facts.categories.keyOf(category);
    e.mode = mode;
    e.total = BillReader::amountOf(amountText).value_or(Money());
    e.locations = rooms;
    QStringList text;
    if (!line.counterparty.isEmpty())
        text << QStringLiteral("交易对方：") + line.counterparty;
    if (!line.orderNumber.isEmpty())
        text << QStringLiteral("订单号：") + line.orderNumber;
    if (!line.note.isEmpty())
        text << QStringLiteral("备注：") + line.note;
    e.text = QStringLiteral("导入自%1账单").arg(source) +
             (text.isEmpty() ? QString() : QStringLiteral("\r\n") + text.join(QStringLiteral("\r\n")));
    e.source = source;
    e.orderNumber = line.orderNumber;
    return e;
}

QString ProposedRow::roomsText() const {
    QStringList captions;
    for (int i = 0; i < SqlTexts::locationCount; ++i) {
        if (rooms[size_t(i)])
            captions << QString::fromUtf8(SqlTexts::locations()[i].label);
    }
    return captions.join(QStringLiteral("、"));
}

void ProposedRow::setRoomsText(const QString& text) {
    const QStringList captions = text.split(QRegularExpression(QStringLiteral("[、,，\\s]+")), Qt::SkipEmptyParts);
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        rooms[size_t(i)] = captions.contains(QString::fromUtf8(SqlTexts::locations()[i].label));
}

void ProposedRow::apply(const ImportRule& rule) {
    if (!rule.mode.isEmpty())
        mode = rule.mode;
    if (!rule.project.isEmpty())
        project = rule.project;
    if (!rule.category.isEmpty())
        category = rule.category;
    if (!rule.rooms.isEmpty())
        setRoomsText(rule.rooms);
}

namespace ImportProposal {

std::pair<QString, QString> dateSpan(const QVector<BillFile>& bills) {
    QString from, to;
    for (const BillFile& bill : bills) {
        for (const BillLine& line : bill.lines) {
            if (line.date.isEmpty())
                continue;
            if (from.isEmpty() || line.date < from)
                from = line.date;
            if (to.isEmpty() || line.date > to)
                to = line.date;
        }
    }
    return {from, to};
}

QVector<ProposedRow> build(const QVector<BillFile>& bills, const LedgerFacts& facts,
                           const QVector<ImportRule>& rules, const QDate& from, const QDate& to) {
    QVector<ProposedRow> rows;
    for (const BillFile& bill : bills) {
        for (const BillLine& line : bill.lines) {
            ProposedRow row;
            row.line = line;
            row.file = QFileInfo(bill.path).fileName();
            row.source = bill.source == QStringLiteral("表格") ? row.file : bill.source;
            row.date = line.date;
            row.name = line.goods.isEmpty() ? line.counterparty : line.goods;
            row.amountText = line.amount ? line.amount->exactText() : line.amountText;
            row.mode = QStringLiteral("材料费");
            rows << row;
        }
    }

    const auto skip = [](ProposedRow& row, const QString& reason) {
        if (row.kind == ProposedRow::Skipped)
            return;
        row.kind = ProposedRow::Skipped;
        row.reason = reason;
        row.ticked = false;
    };

    // Refunds and the payments they return, dropped together.
    QMultiHash<QString, int> payments;
    for (int i = 0; i < rows.size(); ++i) {
        if (isExpense(rows[i].line) && !isRefund(rows[i].line) && !rows[i].line.orderNumber.isEmpty())
            payments.insert(rows[i].line.orderNumber, i);
    }
    QVector<bool> paired(rows.size(), false);
    for (int r = 0; r < rows.size(); ++r) {
        const BillLine& refund = rows[r].line;
        if (!isRefund(refund) || refund.orderNumber.isEmpty() || !refund.amount)
            continue;
        bool found = false;
        for (const QString& prefix : prefixesOf(refund.orderNumber)) {
            for (auto it = payments.constFind(prefix); it != payments.constEnd() && it.key() == prefix; ++it) {
                const int p = it.value();
                if (p == r || paired[p] || !rows[p].line.amount || *rows[p].line.amount != *refund.amount)
                    continue;
                paired[p] = paired[r] = true;
                skip(rows[p], QStringLiteral("已退款(第%1行)").arg(refund.row));
                skip(rows[r], QStringLiteral("退款，与第%1行的付款相抵").arg(rows[p].line.row));
                found = true;
                break;
            }
            if (found)
                break;
        }
    }

    QHash<QString, int> seenOrders; // within this import
    for (ProposedRow& row : rows) {
        const BillLine& line = row.line;
        if (line.date.isEmpty() || !line.amount)
            skip(row, QStringLiteral("日期或金额无法识别"));
        else if (line.direction == QStringLiteral("收入"))
            skip(row, QStringLiteral("收入"));
        else if (line.direction == QStringLiteral("不计收支") || line.direction == QStringLiteral("/"))
            skip(row, QStringLiteral("不计收支"));
        else if (!line.direction.isEmpty() && !isExpense(line))
            skip(row, QStringLiteral("不是支出(%1)").arg(line.direction));
        else if (const QString closed = closedStatus(line.status); !closed.isEmpty())
            skip(row, QStringLiteral("交易状态：%1").arg(closed));
        else if ((from.isValid() && line.date < from.toString(QStringLiteral("yyyy-MM-dd"))) ||
                 (to.isValid() && line.date > to.toString(QStringLiteral("yyyy-MM-dd"))))
            skip(row, QStringLiteral("不在选定的日期范围内"));
        if (row.kind == ProposedRow::Skipped)
            continue;

        if (!line.orderNumber.isEmpty()) {
            if (facts.orderNumbers.contains(line.orderNumber)) {
                row.kind = ProposedRow::Duplicate;
                row.reason = QStringLiteral("已导入过(订单号 %1)").arg(line.orderNumber);
                row.ticked = false;
                continue;
            }
            if (seenOrders.contains(line.orderNumber)) {
                row.kind = ProposedRow::Duplicate;
                row.reason = QStringLiteral("与第%1行重复(订单号相同)").arg(seenOrders.value(line.orderNumber));
                row.ticked = false;
                continue;
            }
            seenOrders.insert(line.orderNumber, line.row);
        }
        const auto match = facts.byDateAndAmount.constFind(ImportStore::dateAmountKey(line.date, *line.amount));
        if (match != facts.byDateAndAmount.constEnd()) {
            row.kind = ProposedRow::PossibleDuplicate;
            row.match = match.value();
            row.reason = QStringLiteral("可能重复");
            row.ticked = false;
        }
        if (const ImportRule* rule = ImportRules::matching(rules, line.counterparty))
            row.apply(*rule);
    }
    return rows;
}

} // namespace ImportProposal
