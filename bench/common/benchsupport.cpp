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

void addAttachmentsBare(const QString& path, int count, const std::function<BareAttachment(int)>& row) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                       "values (?, ?, ?, ?, '2024-01-01', ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < count; ++i) {
        const BareAttachment attachment = row(i);
        const QByteArray name = attachment.name.toUtf8(), mime = attachment.mime.toUtf8();
        sqlite3_bind_int64(insert, 1, attachment.entry);
        sqlite3_bind_text(insert, 2, name.constData(), int(name.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, mime.constData(), int(mime.size()), SQLITE_STATIC);
        sqlite3_bind_int64(insert, 4, attachment.data.size());
        sqlite3_bind_blob(insert, 5, attachment.data.constData(), int(attachment.data.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
