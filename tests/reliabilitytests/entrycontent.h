#pragma once

#include "query.h"

#include <QString>
#include <QStringList>

// What the storage driver writes for a seed, so the checker can tell a whole row
// from a half-written one without the driver's help.
struct EntryContent {
    static QStringList ledgerColumns() {
        return {"NAMES", "DATES",    "CID",   "DID",    "CTYPE", "LMONEY", "NUM",
                "SGT",   "ALLMONEY", "ISALL", "FMONEY", "TEXTS", "A",      "B",
                "C",     "D",        "E",     "F",      "G",     "H",      "I"};
    }

    static QVariant ledgerValue(const QString& column, quint32 seed) {
        const int i = ledgerColumns().indexOf(column);
        switch (i) {
        case 0:
            return QStringLiteral("条目%1").arg(seed);
        case 1:
            return QStringLiteral("2008-%1-%2")
                .arg(seed % 12 + 1, 2, 10, QLatin1Char('0'))
                .arg(seed % 28 + 1, 2, 10, QLatin1Char('0'));
        case 2:
            return qlonglong(seed % 7 + 1);
        case 3:
            return qlonglong(seed % 11 + 1);
        case 4:
            return QStringList{"材料费", "人工费", "包工包料"}[seed % 3];
        case 5:
            return double(seed % 1000) / 4.0;
        case 6:
            return double(seed % 17 + 1);
        case 7:
            return QStringLiteral("平米");
        case 8:
            return double(seed % 1000) / 4.0 * double(seed % 17 + 1);
        case 9:
            return qlonglong(seed % 2);
        case 10:
            return seed % 2 ? 0.0 : 12.5;
        case 11:
            return QStringLiteral("备注 %1 ").arg(seed).repeated(int(seed % 50) + 1); // up to a few kB
        default:
            return qlonglong((seed >> (i - 12)) & 1);
        }
    }

    // An attachment's content: up to 512 kB, so that large ones span many pages.
    static QByteArray attachmentData(quint32 seed) {
        QByteArray data(int(seed % (512 * 1024)), Qt::Uninitialized);
        quint32 state = seed;
        for (char& byte : data) {
            state = state * 1664525u + 1013904223u;
            byte = char(state >> 24);
        }
        return data;
    }

    static QStringList diaryColumns() { return {"DATES", "STATUS", "COOL", "TEXTS"}; }

    static QVariant diaryValue(const QString& column, quint32 seed) {
        switch (diaryColumns().indexOf(column)) {
        case 0:
            return QStringLiteral("2009-01-%1").arg(seed % 28 + 1, 2, 10, QLatin1Char('0'));
        case 1:
            return QStringLiteral("高兴");
        case 2:
            return QStringLiteral("晴");
        default:
            return QStringLiteral("日记正文 %1\r\n").arg(seed).repeated(int(seed % 80) + 1);
        }
    }
};
