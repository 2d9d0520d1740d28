#include "enginetext.h"

#include <sqlite3.h>

namespace {

struct Condition {
    int code;
    const char* engineText; // how the engine words it when only the text is at hand
    const char* meaning;
};

// clang-format off
const Condition conditions[] = {
    {SQLITE_BUSY,     "database is locked",           "账簿文件正被另一个程序使用"},
    {SQLITE_LOCKED,   "database table is locked",     "账簿文件正被另一个程序使用"},
    {SQLITE_READONLY, "attempt to write a readonly",  "文件是只读的，不能写入"},
    {SQLITE_FULL,     "database or disk is full",     "磁盘已满"},
    {SQLITE_NOTADB,   "file is not a database",       "这不是账簿文件"},
    {SQLITE_IOERR,    "disk I/O error",               "读写磁盘出错"},
    {SQLITE_CORRUPT,  "database disk image is malformed", "文件已损坏"},
    {SQLITE_CANTOPEN, "unable to open database file", "无法打开文件"},
};
// clang-format on

} // namespace

namespace EngineText {

QString explained(int code, const QString& engineText) {
    for (const Condition& condition : conditions) {
        const bool matches = code > 0 ? (code & 0xff) == condition.code
                                       : engineText.contains(QLatin1String(condition.engineText));
        if (matches) {
            const QString meaning = QString::fromUtf8(condition.meaning);
            return engineText.isEmpty() ? meaning : QStringLiteral("%1（%2）").arg(meaning, engineText);
        }
    }
    return engineText;
}

QString of(sqlite3* db) {
    return explained(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace EngineText
