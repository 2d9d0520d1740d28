// Importing a bill of 10,000 lines into a ledger of 100,000 entries: the preview
// (reading the bill, the ledger's order numbers and its entries over the bill's
// dates, duplicates marked) against its aim of one second; and the import of those
// lines against storing 10,000 entries in one transaction through the storage
// layer (aim: at most twice as long).
#include "benchsupport.h"
#include "billfile.h"
#include "database.h"
#include "importproposal.h"
#include "importrun.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "timingreporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int entries = 100000;
constexpr int lines = 10000;

GeneratedLedger& ledger() {
    static GeneratedLedger file(entries);
    return file;
}

SqlConnection connection() {
    Database::instance().setFileName(ledger().filePath());
    return SqlConnection::program();
}

// An Alipay bill, GBK, its payments spread over the ledger's years; one line in
// twenty a refund of the one before, one in ten the amount of an existing day's entry.
QString billPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QStringList text;
        for (int i = 0; i < 20; ++i)
            text << QStringLiteral("说明第%1行,,").arg(i);
        text << QStringLiteral("交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,"
                               "交易订单号,商家订单号,备注,");
        const QDate first(2017, 1, 1);
        for (int i = 0; i < lines; ++i) {
            const bool refund = i % 20 == 19;
            const QString order = QStringLiteral("2026%1").arg(refund ? i - 1 : i, 12, 10, QLatin1Char('0')) +
                                  (refund ? QStringLiteral("_1") : QString());
            const QString amount = QStringLiteral("%1.%2").arg(refund ? (i - 1) % 997 + 1 : i % 997 + 1).arg(i % 10 * 0);
            text << QStringList{first.addDays(i % 3600).toString(QStringLiteral("yyyy-MM-dd 10:00:00")),
                                refund ? QStringLiteral("退款") : QStringLiteral("家居家装"),
                                QStringLiteral("店铺%1    ").arg(i % 300), QStringLiteral("shop@163.com"),
                                QStringLiteral("商品%1    ").arg(i),
                                refund ? QStringLiteral("不计收支") : QStringLiteral("支出"), amount,
                                QStringLiteral("花呗"), refund ? QStringLiteral("退款成功") : QStringLiteral("交易成功"),
                                order + QLatin1Char('\t'), QStringLiteral("T%1\t").arg(i), QString(), QString()}
                        .join(QLatin1Char(','));
        }
        QFile file(dir.filePath(QStringLiteral("alipay.csv")));
        file.open(QIODevice::WriteOnly);
        file.write(QStringEncoder("GBK").encode(text.join(QStringLiteral("\r\n"))));
        return file.fileName();
    }();
    return path;
}

struct Preview {
    QVector<ProposedRow> rows;
    LedgerFacts facts;
};

Preview preview(const SqlConnection& db) {
    const QVector<BillFile> bills{BillReader::read(billPath())};
    const auto [from, to] = ImportProposal::dateSpan(bills);
    Preview p;
    p.facts = LedgerFacts::read(db, from, to);
    p.rows = ImportProposal::build(bills, p.facts, {});
    return p;
}

void PreviewOfBill(benchmark::State& state) {
    const SqlConnection db = connection();
    billPath();
    int marked = 0;
    for (auto _ : state) {
        const Preview p = preview(db);
        marked = 0;
        for (const ProposedRow& row : p.rows)
            marked += row.kind != ProposedRow::Proposed ? 1 : 0;
    }
    state.counters["skipped_or_marked"] = marked;
}

void StoreEntries(benchmark::State& state) {
    const SqlConnection db = connection();
    for (auto _ : state) {
        SqlRun::inTransaction(db, [&] {
            for (int i = 0; i < lines; ++i)
                db.insert(QStringLiteral("INSERT INTO 明细 (NAMES,DATES,CID,DID,CTYPE,LMONEY,NUM,SGT,ISALL,FMONEY,"
                                         "TEXTS,ALLMONEY,A,B,C,D,E,F,G,H,I) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                          {QStringLiteral("商品%1").arg(i), QStringLiteral("2026-11-03"), 1, 1, QStringLiteral("材料费"),
                           double(i % 997 + 1), 1.0, QString(), 1, 0.0, QStringLiteral("导入自支付宝账单"),
                           double(i % 997 + 1), 1, 0, 0, 0, 0, 0, 0, 0, 0});
        });
    }
}

void ImportLines(benchmark::State& state) {
    const SqlConnection db = connection();
    Preview p = preview(db);
    for (ProposedRow& row : p.rows) {
        row.project = p.facts.projects.names.value(0);
        row.category = p.facts.categories.names.value(0);
        row.rooms[0] = true;
        row.ticked = true;
        if (row.kind != ProposedRow::Skipped)
            row.kind = ProposedRow::Proposed;
    }
    int stored = 0;
    for (auto _ : state) {
        // Each round imports the same lines again: the store does not look for duplicates.
        stored = int(ImportRun::run(db, p.rows, p.facts, {QStringLiteral("alipay.csv")}).stored.size());
    }
    state.counters["stored"] = stored;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    using Benchmark = void (*)(benchmark::State&);
    const std::pair<const char*, Benchmark> all[] = {
        {"PreviewOfBill", PreviewOfBill}, {"StoreEntries", StoreEntries}, {"ImportLines", ImportLines}};
    for (const auto& [name, function] : all)
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond)->Iterations(3);
    TimingReporter reporter([](const TimingReporter& times) {
        std::printf("Preview of %d lines against %d entries: %.0f ms (aim <= 1000 ms)\n", lines, entries,
                    times.milliseconds("PreviewOfBill/iterations:3"));
        const double store = times.milliseconds("StoreEntries/iterations:3");
        if (store > 0)
            std::printf("Import / storing %d entries in one transaction: %.2fx (aim <= 2x)\n", lines,
                        times.milliseconds("ImportLines/iterations:3") / store);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
