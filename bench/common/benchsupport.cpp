#include "benchsupport.h"

#include "database.h"
#include "ledgergenerator.h"

#include <QDir>
#include <sqlite3.h>
#include <sys/resource.h>

GeneratedLedger::GeneratedLedger(int entries, int diaryEntries) : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
    m_path = QDir(m_dir.path()).filePath(Database::defaultFileName());
    LedgerShape shape;
    shape.entries = entries;
    shape.diaryEntries = diaryEntries;
    generateLedger(m_path, shape);
    Database::instance().close();
}

GeneratedLedger::~GeneratedLedger() {
    Database::instance().close();
    QDir::setCurrent(m_previous);
}

double peakMemoryMegabytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

BareRead readAllBare(sqlite3* db, const QByteArray& sql) {
    BareRead result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
        result.error = sqlite3_errmsg(db);
        return result;
    }
    result.rows = 0;
    const int width = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < width; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                result.checksum += quint64(sqlite3_column_int64(statement, c));
                break;
            case SQLITE_FLOAT:
                result.checksum += quint64(sqlite3_column_double(statement, c));
                break;
            case SQLITE_TEXT:
                result.checksum += quint64(sqlite3_column_text(statement, c)[0]);
                break;
            default:
                break;
            }
        }
        ++result.rows;
    }
    sqlite3_finalize(statement);
    return result;
}
