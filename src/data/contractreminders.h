#pragma once

#include "contractfigures.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// What a household should be reminded of on a given day: stages due within 7 days
// or overdue, retention money whose release date has come, warranties that end
// within 30 days.
struct ContractReminder {
    qint64 contractKey = 0; // 0 for a warranty of a ledger entry alone
    QString text;
};

namespace ContractReminders {

constexpr int stageDays = 7;
constexpr int warrantyDays = 30;

QVector<ContractReminder> collect(const QVector<ContractFigures>& contracts,
                                  const QVector<WarrantyRecord>& warranties, const QDate& today);
// The texts of the first limit reminders, and a last line that counts the rest.
QStringList texts(const QVector<ContractReminder>& reminders, int limit);
// Reads what collect() needs; nothing for a ledger without contracts. Throws DbError.
QVector<ContractReminder> read(const SqlConnection& db, const QDate& today);

} // namespace ContractReminders
