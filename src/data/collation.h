#pragma once

#include <QSqlDatabase>

// Registers the collation PINYIN on the connection: Chinese text in the order a
// Chinese desktop sorts it (pinyin), through QCollator. Texts the collator calls
// equal are ordered by their bytes, so distinct texts never compare equal.
void registerPinyinCollation(const QSqlDatabase& db);

// The same comparison, for code that sorts outside the database.
int comparePinyin(const QString& a, const QString& b);
