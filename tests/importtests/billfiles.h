#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Bill files as the payment apps and banks write them, made by the tests themselves.
namespace BillFiles {

struct Payment {
    QString time = QStringLiteral("2026-11-03 10:15:00");
    QString counterparty = QStringLiteral("红星美凯龙");
    QString goods = QStringLiteral("瓷砖");
    QString direction = QStringLiteral("支出");
    QString amount = QStringLiteral("1028.16");
    QString status; // empty: the format's own word for a finished payment
    QString order = QStringLiteral("2026110322001400001");
    QString kind = QStringLiteral("家居家装");
    QString note;
};

// GBK, a preamble of some 20 lines, blanks around the fields, a tab after each
// order number and a comma at the end of every line, and the footer.
QByteArray alipayCsv(const QVector<Payment>& payments, int preambleLines = 22);
// UTF-8, amounts as "¥28.16".
QByteArray wechatCsv(const QVector<Payment>& payments, int preambleLines = 16);
// An .xlsx with shared strings and a preamble of preambleLines rows.
void wechatXlsx(const QString& path, const QVector<Payment>& payments, int preambleLines = 17);
// A bank statement: UTF-8 with its byte-order mark, spending as negative amounts.
QByteArray bankCsv(const QVector<Payment>& payments);

// A zip holding one entry; encrypted with the password when one is given.
void writeZip(const QString& path, const QString& entry, const QByteArray& content, const char* password = nullptr);
void writeFile(const QString& path, const QByteArray& content);

} // namespace BillFiles
