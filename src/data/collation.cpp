#include "collation.h"

#include "sqlconnection.h"

#include <QCollator>

namespace {

const QCollator& chineseCollator() {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setNumericMode(false);
        return c;
    }();
    return collator;
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
    SqlConnection(db).registerCollation("PINYIN", comparePinyin);
}
