// Imports batches of entries through the program's ImportStore until it is killed:
// prints "S" as each import begins and "I <batch> <entries>" once it has returned.
#include "dberror.h"
#include "importstore.h"
#include "sqlconnection.h"

#include <QCoreApplication>
#include <cstdio>
#include <random>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::mt19937 random(std::random_device{}());
    for (quint64 round = 0;; ++round) {
        QVector<ImportEntry> entries;
        const int count = 1 + int(random() % 200);
        for (int i = 0; i < count; ++i) {
            ImportEntry entry;
            entry.name = QStringLiteral("导入的账目 %1").arg(i);
            entry.date = QStringLiteral("2026-11-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
            entry.mode = QStringLiteral("材料费");
            entry.total = Money::fromFen(qint64(random() % 1000000));
            entry.locations[i % 9] = true;
            entry.source = QStringLiteral("支付宝");
            entry.orderNumber = QStringLiteral("%1-%2-%3").arg(random()).arg(round).arg(i);
            entries << entry;
        }
        std::printf("S\n");
        std::fflush(stdout);
        try {
            const qint64 batch = ImportStore::store(SqlConnection::program(), entries, QStringLiteral("支付宝"), {});
            std::printf("I %lld %d\n", static_cast<long long>(batch), count);
        } catch (const DbError& error) {
            std::printf("F %s\n", error.message().toUtf8().constData());
        }
        std::fflush(stdout);
    }
}
