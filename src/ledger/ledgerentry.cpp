#include "ledgerentry.h"

#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"

void LedgerEntry::store(Query& recordSet, bool asNew) const {
    if (asNew)
        recordSet.append();
    else
        recordSet.edit();
    try {
        recordSet.setValue(QStringLiteral("NAMES"), name);
        recordSet.setValue(QStringLiteral("DATES"), date);
        recordSet.setValue(QStringLiteral("CID"), projectKey);
        recordSet.setValue(QStringLiteral("DID"), categoryKey);
        recordSet.setValue(QStringLiteral("CTYPE"), mode);
        recordSet.setValue(QStringLiteral("LMONEY"), price);
        recordSet.setValue(QStringLiteral("NUM"), quantity);
        recordSet.setValue(QStringLiteral("SGT"), unit);
        recordSet.setValue(QStringLiteral("ISALL"), paidInFull ? 1 : 0);
        recordSet.setValue(QStringLiteral("FMONEY"), deposit);
        recordSet.setValue(QStringLiteral("TEXTS"), text);
        recordSet.setValue(QStringLiteral("ALLMONEY"), total);
        for (int i = 0; i < SqlTexts::locationCount; ++i)
            recordSet.setValue(QString::fromLatin1(SqlTexts::locations()[i].flag), locations[i] ? 1 : 0);
        recordSet.post();
    } catch (...) {
        recordSet.cancel();
        throw;
    }
}

LedgerRow LedgerEntry::listRow(const QString& projectName, const QString& categoryName) const {
    LedgerRow row;
    row.caption = date;
    row.subItems[LedgerRow::Name] = trimmedText(name);
    row.subItems[LedgerRow::Project] = projectName;
    row.subItems[LedgerRow::Category] = categoryName;
    row.subItems[LedgerRow::Mode] = trimmedText(mode);
    row.subItems[LedgerRow::Price] = LedgerRow::cellText(price);
    row.subItems[LedgerRow::Quantity] = LedgerRow::cellText(quantity);
    row.subItems[LedgerRow::Unit] = trimmedText(unit);
    row.subItems[LedgerRow::Amount] = LedgerRow::cellText(total);
    if (!paidInFull)
        row.subItems[LedgerRow::Deposit] = LedgerRow::cellText(deposit);
    row.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(paidInFull);
    return row;
}

LedgerEntry LedgerEntry::stored(const Query& recordSet) {
    LedgerEntry entry;
    entry.name = recordSet.text(QStringLiteral("NAMES"));
    entry.date = recordSet.text(QStringLiteral("DATES"));
    entry.projectKey = recordSet.integer(QStringLiteral("CID"));
    entry.categoryKey = recordSet.integer(QStringLiteral("DID"));
    entry.mode = recordSet.text(QStringLiteral("CTYPE"));
    entry.price = recordSet.number(QStringLiteral("LMONEY"));
    entry.quantity = recordSet.number(QStringLiteral("NUM"));
    entry.unit = recordSet.text(QStringLiteral("SGT"));
    entry.paidInFull = recordSet.flag(QStringLiteral("ISALL"));
    entry.deposit = recordSet.number(QStringLiteral("FMONEY"));
    entry.text = recordSet.text(QStringLiteral("TEXTS"));
    entry.total = recordSet.number(QStringLiteral("ALLMONEY"));
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        entry.locations[i] = recordSet.flag(QString::fromLatin1(SqlTexts::locations()[i].flag));
    return entry;
}
