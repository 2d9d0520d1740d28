#include "collation.h"

#include <QCollator>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {

const QCollator& chineseCollator() {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

int pinyinCompare(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QString textA = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString textB = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    return comparePinyin(textA, textB);
}

} // namespace

int comparePinyin(const QString& a, const QString& b) {
    const int order = chineseCollator().compare(a, b);
    if (order != 0)
        return order < 0 ? -1 : 1;
    const int bytes = a.compare(b, Qt::CaseSensitive);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

void registerPinyinCollation(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    auto* sqlite = *static_cast<sqlite3* const*>(handle.data());
    if (sqlite)
        sqlite3_create_collation(sqlite, "PINYIN", SQLITE_UTF8, nullptr, pinyinCompare);
}
