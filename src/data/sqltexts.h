#pragma once

#include <QList>
#include <QString>

// Every SQL text the program sends, in SQLite's dialect. Values that the callers
// insert (keys, date texts, criteria already quoted) are passed in as text.
namespace SqlTexts {

// Lookup lists and row access.
QString projects();              // select * from 项目 order by mid
QString categories();            // select * from 归类 order by mid
QString emptyLedger();           // empty result with all columns of 明细
QString ledgerEntry(qint64 key); // one entry, to change it
QString newestLedgerKey();       // key and ISALL of the entry just inserted
QString ledgerEntryToDelete(qint64 key);
QString ledgerNotes(const QList<qint64>& keys);       // key, text and location flags of these entries
QString ledgerNoteLengths(const QList<qint64>& keys); // key and the text's length in characters
QString diary();                                      // every diary entry in date order
QString emptyDiary();
QString diaryEntry(qint64 key);
QString newestDiaryEntry();
QString diaryEntryToDelete(qint64 key);

// The ledger query: head + any of the conditions below + tail.
QString ledgerQueryHead(const QString& from, const QString& to);
QString ledgerQueryTail();
QString ledgerNameLike(const QString& quotedCriterion); // " and a.names like '%…%'"
QString ledgerModeLike(const QString& quotedCriterion); // " and ctype like '%…%'"
QString ledgerProjectIs(qint64 key);                    // " and cid=…"
QString ledgerCategoryIs(qint64 key);                   // " and did=…"
QString ledgerPaidInFull();                             // " and isall=1"
QString ledgerDepositOnly();                            // " and isall=0"
QString ledgerTextLike(const QString& quotedCriterion); // " and  texts like '%…%'"

// The five statistics over a date range, both ends included. Group rows come in
// ascending label order (nulls first, Chinese in pinyin order), the total row
// "总计" last whatever the labels; the location statistic has no total row.
QString byExpenseMode(const QString& from, const QString& to);
QString byProject(const QString& from, const QString& to);
QString byCategory(const QString& from, const QString& to);
QString byLocation(const QString& from, const QString& to);
QString byDate(const QString& from, const QString& to);

// The nine locations: flag column and label, in the editor's order of its boxes.
struct Location {
    const char* flag;
    const char* label;
};
constexpr int locationCount = 9;
const Location* locations();

} // namespace SqlTexts
