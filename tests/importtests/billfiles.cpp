#include "billfiles.h"

#include <QFile>
#include <QStringEncoder>
#include <minizip/zip.h>
#include <xlsxwriter.h>
#include <zlib.h>

namespace BillFiles {

namespace {

QString padded(const QString& text) {
    return text + QStringLiteral("    ");
}

} // namespace

QByteArray alipayCsv(const QVector<Payment>& payments, int preambleLines) {
    QStringList lines;
    lines << QStringLiteral("------------------------------------------------------------------------------------");
    lines << QStringLiteral("导出信息：");
    for (int i = 2; i < preambleLines - 1; ++i)
        lines << QStringLiteral("说明第%1行：支付宝交易明细，仅供参考,,").arg(i);
    lines << QStringLiteral("------------------------支付宝（中国）网络技术有限公司  电子客户回单------------------------");
    lines << QStringLiteral("交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,"
                            "商家订单号,备注,");
    for (const Payment& p : payments) {
        lines << QStringList{p.time,
                             p.kind,
                             padded(p.counterparty),
                             QStringLiteral("shop***@163.com"),
                             padded(p.goods),
                             p.direction,
                             p.amount,
                             QStringLiteral("花呗"),
                             p.status.isEmpty() ? QStringLiteral("交易成功") : p.status,
                             p.order + QLatin1Char('\t'),
                             QStringLiteral("T") + p.order + QLatin1Char('\t'),
                             p.note,
                             QString()}
                     .join(QLatin1Char(','));
    }
    lines << QStringLiteral("------------------------------------------------------------------------------------");
    lines << QStringLiteral("导出时间:[2026-12-01 20:00:00]");
    QStringEncoder gbk("GBK");
    return gbk.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QByteArray wechatCsv(const QVector<Payment>& payments, int preambleLines) {
    QStringList lines;
    lines << QStringLiteral("微信支付账单明细,,,,,,,,,,");
    for (int i = 1; i < preambleLines - 1; ++i)
        lines << QStringLiteral("说明第%1行,,,,,,,,,,").arg(i);
    lines << QStringLiteral("----------------------微信支付账单明细列表--------------------,,,,,,,,,,");
    lines << QStringLiteral("交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,交易单号,商户单号,备注");
    for (const Payment& p : payments) {
        lines << QStringList{p.time,
                             p.kind,
                             QLatin1Char('"') + p.counterparty + QLatin1Char('"'),
                             QLatin1Char('"') + p.goods + QLatin1Char('"'),
                             p.direction,
                             QStringLiteral("¥") + p.amount,
                             QStringLiteral("零钱"),
                             p.status.isEmpty() ? QStringLiteral("支付成功") : p.status,
                             p.order + QLatin1Char('\t'),
                             QStringLiteral("10") + p.order + QLatin1Char('\t'),
                             p.note.isEmpty() ? QStringLiteral("/") : p.note}
                     .join(QLatin1Char(','));
    }
    return lines.join(QStringLiteral("\n")).toUtf8() + "\n";
}

void wechatXlsx(const QString& path, const QVector<Payment>& payments, int preambleLines) {
    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "微信支付账单");
    const auto text = [&](int row, int column, const QString& value) {
        worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), value.toUtf8().constData(), nullptr);
    };
    text(0, 0, QStringLiteral("微信支付账单明细"));
    for (int i = 1; i < preambleLines - 1; ++i)
        text(i, 0, QStringLiteral("说明第%1行").arg(i));
    text(preambleLines - 1, 0, QStringLiteral("----------------------微信支付账单明细列表--------------------"));
    const QStringList header{QStringLiteral("交易时间"), QStringLiteral("交易类型"), QStringLiteral("交易对方"),
                             QStringLiteral("商品"),     QStringLiteral("收/支"),    QStringLiteral("金额(元)"),
                             QStringLiteral("支付方式"), QStringLiteral("当前状态"), QStringLiteral("交易单号"),
                             QStringLiteral("商户单号"), QStringLiteral("备注")};
    for (int c = 0; c < header.size(); ++c)
        text(preambleLines, c, header[c]);
    for (int i = 0; i < payments.size(); ++i) {
        const Payment& p = payments[i];
        const int row = preambleLines + 1 + i;
        text(row, 0, p.time);
        text(row, 1, p.kind);
        text(row, 2, p.counterparty);
        text(row, 3, p.goods);
        text(row, 4, p.direction);
        // Plain numbers in the sheet, as newer exports write them.
        worksheet_write_number(sheet, lxw_row_t(row), 5, p.amount.toDouble(), nullptr);
        text(row, 6, QStringLiteral("零钱"));
        text(row, 7, p.status.isEmpty() ? QStringLiteral("支付成功") : p.status);
        text(row, 8, p.order);
        text(row, 9, QStringLiteral("10") + p.order);
        text(row, 10, p.note.isEmpty() ? QStringLiteral("/") : p.note);
    }
    workbook_close(workbook);
}

QByteArray bankCsv(const QVector<Payment>& payments) {
    QStringList lines;
    lines << QStringLiteral("记账日期,摘要,交易金额,账户余额,对方户名,流水号,备注");
    for (const Payment& p : payments) {
        const QString amount = p.direction == QStringLiteral("支出") ? QStringLiteral("-") + p.amount : p.amount;
        lines << QStringList{p.time.left(10).remove(QLatin1Char('-')), p.goods, amount, QStringLiteral("8000.00"),
                             p.counterparty, p.order, p.note}
                     .join(QLatin1Char(','));
    }
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8();
}

void writeZip(const QString& path, const QString& entry, const QByteArray& content, const char* password) {
    zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    zip_fileinfo info{};
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(content.constData()), uInt(content.size()));
    zipOpenNewFileInZip3(zip, entry.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                         Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, password, crc);
    zipWriteInFileInZip(zip, content.constData(), unsigned(content.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

} // namespace BillFiles
