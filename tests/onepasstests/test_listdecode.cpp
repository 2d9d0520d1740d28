// The ledger list decoded once from the engine's values against the cells Query
// reads and their default text forms, row for row, with the totals over them.
#include "database.h"
#include "ledgergenerator.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "numbertext.h"
#include "query.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QDir>
#include <random>

namespace {

// The list rows as the query's cells give them.
QVector<LedgerRow> rowsFromCells(const QString& sql) {
    Query q;
    q.setSql(sql);
    q.open();
    QVector<LedgerRow> rows;
    for (int r = 0; r < q.rowCount(); ++r) {
        const auto cell = [&q, r](const char* name) {
            return LedgerRow::cellText(q.valueAt(r, q.columnIndex(QString::fromLatin1(name))));
        };
        LedgerRow row;
        row.caption = cell("dates");
        row.subItems[LedgerRow::Name] = trimmedText(cell("myname"));
        row.subItems[LedgerRow::Project] = trimmedText(cell("cname"));
        row.subItems[LedgerRow::Category] = cell("dnames");
        row.subItems[LedgerRow::Mode] = trimmedText(cell("ctype"));
        row.subItems[LedgerRow::Price] = trimmedText(cell("lmoney"));
        row.subItems[LedgerRow::Quantity] = trimmedText(cell("num"));
        row.subItems[LedgerRow::Unit] = trimmedText(cell("sgt"));
        row.subItems[LedgerRow::Amount] = trimmedText(cell("allmoney"));
        const bool paid = q.valueAt(r, q.columnIndex(QStringLiteral("isall"))).toLongLong() != 0;
        if (!paid)
            row.subItems[LedgerRow::Deposit] = trimmedText(cell("fmoney"));
        row.subItems[LedgerRow::Key] = trimmedText(cell("mid"));
        row.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(paid);
        rows << row;
    }
    return rows;
}

QString totalsOf(const QVector<LedgerRow>& rows) {
    Money total, paid;
    for (const LedgerRow& row : rows) {
        const Money amount = Money::fromDouble(LedgerRow::cellNumber(row.subItem(LedgerRow::Amount)));
        total += amount;
        paid += row.paidInFull() ? amount
                                 : Money::fromDouble(LedgerRow::cellNumber(row.subItem(LedgerRow::Deposit)));
    }
    return LedgerQuery::totalsLine(total, paid, int(rows.size()));
}

QString firstDifference(const QVector<LedgerRow>& expected, const LedgerListModel& model) {
    if (expected.size() != model.rowCount())
        return QStringLiteral("%1 rows, %2 listed").arg(expected.size()).arg(model.rowCount());
    for (int r = 0; r < model.rowCount(); ++r) {
        const LedgerRow row = model.row(r);
        if (row.caption != expected[r].caption)
            return QStringLiteral("row %1: caption %2").arg(r).arg(row.caption);
        for (int i = 0; i < LedgerRow::subItemCount; ++i)
            if (row.subItems[i] != expected[r].subItems[i])
                return QStringLiteral("row %1, sub-item %2: \"%3\", not \"%4\"")
                    .arg(r)
                    .arg(i)
                    .arg(row.subItems[i], expected[r].subItems[i]);
    }
    return {};
}

} // namespace

class TestListDecode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listMatchesTheCells();
    void numberTextIsCellText();
};

// A generated ledger with values the program never writes mixed in: blanks and
// control characters around texts, amounts as text, integers, very large and very
// small numbers, a blob, odd paid flags, nulls.
void TestListDecode::listMatchesTheCells() {
    TestDatabase db;
    LedgerShape shape;
    shape.entries = 4000;
    shape.years = 2;
    generateLedger(QDir(db.directory()).filePath(QStringLiteral("generated.mdb")), shape);
    Database::instance().setFileName(QStringLiteral("generated.mdb"));
    Query edit;
    for (const char* statement :
         {"update 明细 set NAMES=' \t'||NAMES||char(13,10,32) where mid%7=0",
          "update 明细 set LMONEY='12元 ', NUM=3 where mid%11=0",
          "update 明细 set ALLMONEY=null where mid%13=0",
          "update 明细 set ALLMONEY=1e20, FMONEY=-1.5e-7, ISALL=0 where mid%17=0",
          "update 明细 set SGT=x'e7b1b3', ISALL=2 where mid%19=0", "update 明细 set ISALL='1' where mid%23=0",
          "update 明细 set ALLMONEY=0.1*3, FMONEY=123456789.123456789, ISALL=0 where mid%29=0",
          "update 明细 set CTYPE=null, DATES='2009-01-01 ' where mid%31=0"}) {
        edit.setSql(QString::fromUtf8(statement));
        try {
            edit.open();
        } catch (...) {
        }
    }
    LedgerQuery query;
    LedgerCriteria criteria;
    criteria.from = QDate(2008, 1, 1);
    criteria.to = QDate(2012, 12, 31);
    query.build(criteria);
    Query q;
    LedgerListModel model;
    query.fillList(q, model);
    QVERIFY(!q.isOpen());
    QVector<LedgerRow> expected = rowsFromCells(query.queryText());
    QVERIFY(expected.size() > 3900);
    const QString found = firstDifference(expected, model);
    QVERIFY2(found.isEmpty(), qPrintable(found));
    QCOMPARE(query.updateTotals(model), totalsOf(expected));

    // Rows changed, added and removed afterwards, as the editor and the delete do.
    for (int i = 0; i < 3000; i += 3) {
        LedgerRow changed = expected[i];
        changed.subItems[LedgerRow::Amount] = QString::number(i) + QStringLiteral(".25");
        changed.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(i % 2);
        model.setRow(i, changed);
        expected[i] = changed;
        model.appendRow(changed);
        expected.append(changed);
    }
    model.removeRows(10, 500);
    expected.remove(10, 500);
    const QString afterEdits = firstDifference(expected, model);
    QVERIFY2(afterEdits.isEmpty(), qPrintable(afterEdits));
    QCOMPARE(query.updateTotals(model), totalsOf(expected));
}

// The list's number text is the default text form of the number, at every size.
void TestListDecode::numberTextIsCellText() {
    std::mt19937_64 random(20080801);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-9, 18);
    for (int i = 0; i < 200000; ++i) {
        double number = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0)
            number = std::round(number * 100) / 100; // money
        if (i % 5 == 0)
            number = std::round(number * 4) / 4 * 0.1; // price times quantity
        if (i % 7 == 0)
            number = std::round(number * 8) / 8; // exact eighths: halfway cases at 15 digits
        char text[40];
        const int length = LedgerRow::numberText(number, text);
        const QString expected = LedgerRow::cellText(QVariant(number));
        if (QString::fromUtf8(text, length) != expected)
            QFAIL(qPrintable(QStringLiteral("%1: %2, not %3")
                                 .arg(number, 0, 'g', 17)
                                 .arg(QString::fromUtf8(text, length), expected)));
    }
}

JZ_TEST_MAIN(TestListDecode)
#include "test_listdecode.moc"
