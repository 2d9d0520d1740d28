#include "contractreminders.h"

#include <QHash>

namespace ContractReminders {

namespace {

// Days from today to a stored date; none for a text that is no date.
std::optional<qint64> daysUntil(const QString& date, const QDate& today) {
    const QDate day = QDate::fromString(date, Qt::ISODate);
    if (!day.isValid())
        return std::nullopt;
    return today.daysTo(day);
}

QString stageText(const ContractFigures& contract, const StageFigures& stage, qint64 days) {
    const QString head =
        QStringLiteral("合同“%1”的付款阶段“%2”").arg(contract.record.name, stage.record.name);
    const QString owed = QStringLiteral("，未付 %1 元").arg(stage.unpaid().text());
    if (days < 0)
        return head + QStringLiteral("已逾期 %1 天（%2 到期）").arg(-days).arg(stage.record.dueDate) + owed;
    if (days == 0)
        return head + QStringLiteral("今天到期") + owed;
    return head + QStringLiteral("将于 %1 到期（还有 %2 天）").arg(stage.record.dueDate).arg(days) + owed;
}

} // namespace

QVector<ContractReminder> collect(const QVector<ContractFigures>& contracts,
                                  const QVector<WarrantyRecord>& warranties, const QDate& today) {
    QVector<ContractReminder> found;
    QHash<qint64, QString> names;
    for (const ContractFigures& contract : contracts) {
        names.insert(contract.record.key, contract.record.name);
        for (const StageFigures& stage : contract.stages) {
            const auto days = daysUntil(stage.record.dueDate, today);
            if (stage.state != StageFigures::Paid && days && *days <= stageDays)
                found << ContractReminder{contract.record.key, stageText(contract, stage, *days)};
        }
        const auto release = daysUntil(contract.record.releaseDate, today);
        if (release && *release <= 0 && !contract.held().isZero())
            found << ContractReminder{
                contract.record.key,
                QStringLiteral("合同“%1”的质保金 %2 元已于 %3 到期，可以支付")
                    .arg(contract.record.name, contract.held().text(), contract.record.releaseDate)};
    }
    for (const WarrantyRecord& warranty : warranties) {
        const auto days = daysUntil(warranty.endDate, today);
        if (!days || *days < 0 || *days > warrantyDays)
            continue;
        const QString of = names.contains(warranty.contractKey)
                               ? QStringLiteral("（合同“%1”）").arg(names.value(warranty.contractKey))
                               : QString();
        const QString when =
            *days == 0 ? QStringLiteral("今天到期")
                       : QStringLiteral("将于 %1 到期（还有 %2 天）").arg(warranty.endDate).arg(*days);
        found << ContractReminder{warranty.contractKey,
                                  QStringLiteral("“%1”%2的保修%3").arg(warranty.what, of, when)};
    }
    return found;
}

QStringList texts(const QVector<ContractReminder>& reminders, int limit) {
    QStringList lines;
    for (int i = 0; i < reminders.size() && i < limit; ++i)
        lines << reminders[i].text;
    if (reminders.size() > limit)
        lines << QStringLiteral("……另有 %1 条提醒").arg(reminders.size() - limit);
    return lines;
}

QVector<ContractReminder> read(const SqlConnection& db, const QDate& today) {
    const QVector<ContractFigures> contracts = ContractFigures::compute(db, today);
    const QVector<WarrantyRecord> warranties = ContractStore::warranties(db);
    return collect(contracts, warranties, today);
}

} // namespace ContractReminders
