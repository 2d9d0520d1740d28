#include "textimport.h"

#include <QFile>
#include <QStringDecoder>

TextImport TextImport::read(const QString& path) {
    TextImport result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    if (file.size() > maximumBytes) {
        result.m_status = Status::TooLarge;
        return result;
    }
    const QByteArray bytes = file.read(maximumBytes + 1);
    if (bytes.size() > maximumBytes) {
        result.m_status = Status::TooLarge;
        return result;
    }
    const bool utf16 = bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff");
    if (utf16) {
        QStringDecoder decoder(QStringDecoder::Utf16); // the mark tells the byte order
        result.m_text = decoder.decode(bytes);
    } else if (bytes.contains('\0')) {
        result.m_status = Status::NotText;
        return result;
    } else {
        result.m_text = decode(bytes);
    }
    result.m_status = Status::Read;
    return result;
}

QString TextImport::decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8); // drops a byte-order mark
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (!gbk.isValid())
        return text;
    return gbk.decode(bytes);
}
