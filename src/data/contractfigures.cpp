#include "contractfigures.h"

#include "contracttables.h"
#include "datetext.h"
#include "sqlstatement.h"

#include <QHash>

#include <cmath>

namespace ContractMoney {

Money percentOf(const Money& amount, double percent) {
    // Percentages carry at most four decimals: whole fen times whole ten-thousandths
    // of a percent, divided once and rounded.
    const __int128 scaled = __int128(amount.fen()) * std::llround(percent * 10000);
    constexpr __int128 divisor = 1000000;
    __int128 fen = scaled / divisor;
    const __int128 rest = scaled % divisor;
    if (rest * 2 >= divisor)
        ++fen;
    else if (rest * 2 <= -divisor)
        --fen;
    return Money::fromFen(qint64(fen));
}

bool less(const Money& a, const Money& b) {
    return a.fen() < b.fen();
}

} // namespace ContractMoney

Money ContractFigures::stagesTotal() const {
    Money total;
    for (const StageFigures& stage : stages)
        total += stage.amount;
    return total;
}

Money ContractFigures::held() const {
    const Money open = unpaid();
    if (!ContractMoney::less(Money(), open))
        return Money();
    return ContractMoney::less(open, retention) ? open : retention;
}

QVector<ContractFigures> ContractFigures::compute(const SqlConnection& db, const QDate& today) {
    QVector<ContractFigures> all;
    const QVector<ContractRecord> contracts = ContractStore::contracts(db);
    if (contracts.isEmpty())
        return all;
    QHash<qint64, int> index;
    for (const ContractRecord& record : contracts) {
        index.insert(record.key, int(all.size()));
        ContractFigures figures;
        figures.record = record;
        figures.price = Money::fromDouble(record.price);
        all << figures;
    }
    for (const ChangeOrderRecord& change : ContractStore::changeOrders(db)) {
        if (index.contains(change.contractKey))
            all[index[change.contractKey]].changes += Money::fromDouble(change.amount);
    }
    QHash<qint64, Money> paidByStage;
    SqlStatement links(db, QStringLiteral("select L.STAGEMID, E.ALLMONEY, E.ISALL, E.FMONEY "
                                          "from 阶段付款 L join 明细 E on E.MID=L.ENTRYMID"));
    while (links.step()) {
        const Money amount = Money::fromDouble(links.real(1));
        paidByStage[links.integer(0)] += links.integer(2) != 0 ? amount : Money::fromDouble(links.real(3));
    }
    const QString day = storedDateText(today);
    for (const StageRecord& record : ContractStore::stages(db)) {
        if (!index.contains(record.contractKey))
            continue;
        ContractFigures& contract = all[index[record.contractKey]];
        StageFigures stage;
        stage.record = record;
        stage.amount = record.amount ? Money::fromDouble(*record.amount)
                                     : ContractMoney::percentOf(contract.price, record.percent);
        stage.paid = paidByStage.value(record.key);
        if (!ContractMoney::less(stage.paid, stage.amount))
            stage.state = StageFigures::Paid;
        else if (!record.dueDate.isEmpty() && record.dueDate < day)
            stage.state = StageFigures::Overdue;
        else if (!record.acceptedDate.isEmpty())
            stage.state = StageFigures::Accepted;
        contract.paid += stage.paid;
        contract.overdue = contract.overdue || stage.state == StageFigures::Overdue;
        if (contract.nextStage < 0 && stage.state != StageFigures::Paid)
            contract.nextStage = int(contract.stages.size());
        contract.stages << stage;
    }
    for (ContractFigures& contract : all)
        contract.retention = ContractMoney::percentOf(contract.payable(), contract.record.retentionPercent);
    return all;
}

QString stageStateText(StageFigures::State state) {
    switch (state) {
    case StageFigures::Paid:
        return QStringLiteral("已付清");
    case StageFigures::Accepted:
        return QStringLiteral("已验收");
    case StageFigures::Overdue:
        return QStringLiteral("逾期");
    case StageFigures::Due:
        break;
    }
    return QStringLiteral("待付");
}
