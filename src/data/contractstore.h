#pragma once

#include "money.h"

#include <QString>
#include <QVector>

#include <optional>

class SqlConnection;

// A renovation contract as stored in 合同. Dates are stored texts (YYYY-MM-DD) or empty.
struct ContractRecord {
    qint64 key = 0; // MID; 0 for one not stored yet
    QString name;
    QString party; // the company or foreman
    QString phone;
    qint64 projectKey = 0; // CID: the 项目 it belongs to, 0 for none
    QString signedDate;
    double price = 0;
    double retentionPercent = 0; // 质保金, percent of what is payable
    QString releaseDate;         // when the retention money is to be paid
    QString note;
};

// A payment stage (合同阶段): a fixed amount, or a percentage of the contract price.
struct StageRecord {
    qint64 key = 0;
    qint64 contractKey = 0;
    QString name;
    std::optional<double> amount; // none: percent of the price
    double percent = 0;
    QString condition; // what releases it (an acceptance)
    QString dueDate;
    QString acceptedDate; // empty until accepted
};

// A change order (增减项, 签证): moves the price up or down.
struct ChangeOrderRecord {
    qint64 key = 0;
    qint64 contractKey = 0;
    QString date;
    double amount = 0;
    QString reason;
};

// What is under warranty, for a contract or for a ledger entry (a bought appliance).
struct WarrantyRecord {
    qint64 key = 0;
    QString what;
    qint64 contractKey = 0; // 0 for none
    qint64 entryKey = 0;    // 0 for none
    QString startDate;
    QString endDate;
};

// A ledger entry as offered for, or shown under, a stage; paid by the ledger's
// totals rule (the whole amount of an entry paid in full, else the deposit).
struct StagePayment {
    qint64 entryKey = 0;
    qint64 stageKey = 0; // 0 when not linked
    QString date;
    QString name;
    qint64 projectKey = 0;
    Money amount;
    Money paid;
};

// Reading and writing contracts and everything that belongs to them. Reading a
// ledger without the tables yields nothing and changes nothing; each write is one
// transaction that makes the tables first when needed (ContractTables). Every
// function throws DbError with the engine's message.
namespace ContractStore {

QVector<ContractRecord> contracts(const SqlConnection& db);
std::optional<ContractRecord> contract(const SqlConnection& db, qint64 key);
// The stages of one contract, or of all with contractKey 0, by due date (undated last).
QVector<StageRecord> stages(const SqlConnection& db, qint64 contractKey = 0);
QVector<ChangeOrderRecord> changeOrders(const SqlConnection& db, qint64 contractKey = 0);
// Warranty items of one contract, or every item with contractKey 0, by end date.
QVector<WarrantyRecord> warranties(const SqlConnection& db, qint64 contractKey = 0);

// Store a new record (key 0; the key is set) or change a stored one.
void save(const SqlConnection& db, ContractRecord& record);
void save(const SqlConnection& db, StageRecord& record);
void save(const SqlConnection& db, ChangeOrderRecord& record);
void save(const SqlConnection& db, WarrantyRecord& record);

// A contract goes with its stages, change orders, warranty items and attachments
// (its stages' included); its payments are unlinked, the entries themselves stay in
// the ledger.
void removeContract(const SqlConnection& db, qint64 key);
void removeStage(const SqlConnection& db, qint64 key); // its payments unlinked, its attachments gone
void removeChangeOrder(const SqlConnection& db, qint64 key);
void removeWarranty(const SqlConnection& db, qint64 key);

// Puts an entry under a stage, taking it from any stage it was under before.
// Refuses an entry or stage that is gone.
void link(const SqlConnection& db, qint64 entryKey, qint64 stageKey);
void unlink(const SqlConnection& db, qint64 entryKey);
// The stage an entry is under; 0 for none.
qint64 stageOf(const SqlConnection& db, qint64 entryKey);
// The entries under a stage, by date.
QVector<StagePayment> payments(const SqlConnection& db, qint64 stageKey);
// One entry as a payment, with the stage it is under; none when it is gone.
std::optional<StagePayment> payment(const SqlConnection& db, qint64 entryKey);
// Entries under no stage, for choosing: those of projectKey first, then the rest,
// each part by date.
QVector<StagePayment> unlinkedEntries(const SqlConnection& db, qint64 projectKey);

} // namespace ContractStore
