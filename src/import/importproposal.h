#pragma once

#include "billfile.h"
#include "importrules.h"
#include "importstore.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <array>

class SqlConnection;

// A lookup list (项目 or 归类) as the editor keeps it: names and keys in MID order.
struct LookupList {
    QStringList names;
    QVector<qint64> keys;
    // The editor's key lookup: the last equal name wins; -1 when none is equal.
    qint64 keyOf(const QString& name) const;
};

// What a proposal needs of the ledger, read once per preview.
struct LedgerFacts {
    QHash<QString, qint64> orderNumbers;
    QMultiHash<QString, ExistingEntry> byDateAndAmount;
    LookupList projects;
    LookupList categories;

    // Entries are read for from..to only: the dates the bills hold. Throws DbError.
    static LedgerFacts read(const SqlConnection& db, const QString& from, const QString& to);
};

// One bill line with the entry proposed for it, as the preview shows and edits it.
struct ProposedRow {
    enum Kind { Proposed, PossibleDuplicate, Duplicate, Skipped };

    BillLine line;
    QString file; // the bill's file name
    QString source;
    Kind kind = Proposed;
    QString reason;  // why skipped or marked
    bool ticked = true;
    ExistingEntry match; // the entry a possible duplicate matches

    // The proposed entry, each field editable.
    QString date;
    QString name;
    QString amountText;
    QString mode;
    QString project;
    QString category;
    std::array<bool, 9> rooms{};

    bool importable() const { return kind != Skipped && kind != Duplicate; }
    // The editor's message for the first field that fails its checks; empty when none.
    QString check(const LedgerFacts& facts) const;
    ImportEntry entry(const LedgerFacts& facts) const;
    QString roomsText() const; // captions joined by "、"
    void setRoomsText(const QString& text);
    void apply(const ImportRule& rule);
};

namespace ImportProposal {

// The earliest and latest dates of the bills' lines; empty when none has a date.
std::pair<QString, QString> dateSpan(const QVector<BillFile>& bills);

// One row per line of every bill, in order: skipped lines with their reason,
// duplicates marked and unticked, the rest proposed with the first matching rule
// applied. from/to (null for no limit) is the chosen date range.
QVector<ProposedRow> build(const QVector<BillFile>& bills, const LedgerFacts& facts,
                           const QVector<ImportRule>& rules, const QDate& from = {}, const QDate& to = {});

} // namespace ImportProposal
