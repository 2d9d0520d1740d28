#include "billtext.h"

#include "billerror.h"

#include <QStringDecoder>

namespace BillText {

QString decode(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        throw BillError(QStringLiteral("这不是文本文件(其中有空字符，也许是UTF-16编码)，不能作为账单导入。"
                                       "请把它另存为UTF-8或GBK编码的CSV文件。"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    text = gbk.decode(bytes);
    if (!gbk.isValid() || gbk.hasError() || text.contains(QChar(QChar::ReplacementCharacter)))
        throw BillError(QStringLiteral("文件的编码既不是UTF-8也不是GBK，无法读出账单的内容。"));
    return text;
}

QVector<QStringList> csvRows(const QString& text) {
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool rowHasContent = false;
    const auto endField = [&] {
        row << field;
        field.clear();
    };
    const auto endRow = [&] {
        endField();
        if (rowHasContent)
            rows << row;
        row.clear();
        rowHasContent = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            rowHasContent = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            rowHasContent = true;
        } else if (c == QLatin1Char('\n')) {
            endRow();
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                continue;
            endRow();
        } else {
            field += c;
            if (!c.isSpace())
                rowHasContent = true;
        }
    }
    if (quoted)
        throw BillError(QStringLiteral("账单文件不完整：最后一个带引号的栏目没有结束，文件也许只下载或复制了一部分。"));
    if (!field.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

} // namespace BillText
