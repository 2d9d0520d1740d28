// Stores ledger and diary entries through the program's Query, as its windows do,
// and prints "L <key> <seed>" or "D <key> <seed>" once each store has returned,
// "F <message>" for each store or backup that failed.
//
//   storage_driver crash            store until killed
//   storage_driver backup           store and back up in turn until killed; prints
//                                   "B <path>" once each backup has returned
//   storage_driver attach ENTRY     store attachments of that entry until killed,
//                                   printing "O" once the file is open, then
//                                   "A <key> <seed>"
//   storage_driver delete           delete the newest ledger entry (through the recycle
//                                   bin) until killed, printing "O" once the file is
//                                   open, then "X <key>" once each delete has returned
//   storage_driver limit BYTES N    store N entries with the file size limited to BYTES
//                                   (a full disk)
#include "attachmenttable.h"
#include "backupstore.h"
#include "database.h"
#include "dberror.h"
#include "entrycontent.h"
#include "query.h"
#include "sqltexts.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

qint64 store(Query& query, const QString& emptySql, const QStringList& columns,
             QVariant (*valueOf)(const QString&, quint32), quint32 seed) {
    query.setSql(emptySql);
    query.open();
    query.append();
    for (const QString& column : columns)
        query.setValue(column, valueOf(column, seed));
    query.post();
    return query.integer(QStringLiteral("MID"));
}

void reportFailure(const DbError& error) {
    std::printf("F %s\n", error.message().toUtf8().constData());
    std::fflush(stdout);
}

bool storeOne(Query& query, std::mt19937& random) {
    const quint32 seed = random();
    const bool ledger = seed % 4 != 0;
    try {
        const qint64 key = ledger ? store(query, SqlTexts::emptyLedger(), EntryContent::ledgerColumns(),
                                          &EntryContent::ledgerValue, seed)
                                  : store(query, SqlTexts::emptyDiary(), EntryContent::diaryColumns(),
                                          &EntryContent::diaryValue, seed);
        std::printf("%c %lld %u\n", ledger ? 'L' : 'D', static_cast<long long>(key), seed);
        std::fflush(stdout);
        return true;
    } catch (const DbError& error) {
        reportFailure(error);
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    std::mt19937 random(std::random_device{}());
    Query query;
    if (args.value(1) == QLatin1String("crash")) {
        for (;;)
            storeOne(query, random);
    }
    if (args.value(1) == QLatin1String("backup")) {
        for (;;) {
            storeOne(query, random);
            try {
                const QString copy = BackupStore(Database::instance().filePath()).makeBackup();
                std::printf("B %s\n", copy.toUtf8().constData());
                std::fflush(stdout);
            } catch (const DbError& error) {
                reportFailure(error);
            }
        }
    }
    if (args.value(1) == QLatin1String("attach") && args.size() == 3) {
        const qint64 entry = args[2].toLongLong();
        try {
            Database::instance().connection();
            std::printf("O\n");
            std::fflush(stdout);
        } catch (const DbError& error) {
            reportFailure(error);
        }
        for (;;) {
            const quint32 seed = random();
            const NewAttachment attachment{QStringLiteral("附件%1").arg(seed),
                                           QStringLiteral("application/octet-stream"),
                                           EntryContent::attachmentData(seed)};
            try {
                const qint64 key = AttachmentTable::add(Database::instance().connection(), entry, attachment);
                std::printf("A %lld %u\n", static_cast<long long>(key), seed);
                std::fflush(stdout);
            } catch (const DbError& error) {
                reportFailure(error);
            }
        }
    }
    if (args.value(1) == QLatin1String("delete")) {
        try {
            Database::instance().connection();
            std::printf("O\n");
            std::fflush(stdout);
        } catch (const DbError& error) {
            reportFailure(error);
        }
        for (;;) {
            try {
                query.setSql(QStringLiteral("select * from 明细 where MID=(select max(MID) from 明细)"));
                query.open();
                if (query.rowCount() == 0)
                    return 0; // nothing left: the test ran out of entries
                const qint64 key = query.integer(QStringLiteral("MID"));
                if (!AttachmentTable::removeEntry(query))
                    throw DbError(QStringLiteral("entry %1 was not deleted").arg(key));
                std::printf("X %lld\n", static_cast<long long>(key));
                std::fflush(stdout);
            } catch (const DbError& error) {
                reportFailure(error);
            }
        }
    }
    if (args.value(1) == QLatin1String("limit") && args.size() == 4) {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = args[2].toULongLong();
        setrlimit(RLIMIT_FSIZE, &limit);
        const int count = args[3].toInt();
        for (int i = 0; i < count; ++i)
            storeOne(query, random);
        return 0;
    }
    std::fprintf(stderr, "usage: storage_driver crash | backup | attach ENTRY | delete | limit BYTES COUNT\n");
    return 2;
}
