#pragma once

#include <QString>

// Reads a plain-text file for 导入正文. A file in UTF-8 (with or without a byte-order
// mark) is read as UTF-8, any other file as GBK, the desktop's code page of old.
// Files larger than a note can sensibly hold are refused, and so are files that are
// not text at all (NUL bytes outside a UTF-16 text with its byte-order mark).
class TextImport {
public:
    enum class Status { Read, CannotOpen, TooLarge, NotText };

    static constexpr qint64 maximumBytes = 10 * 1024 * 1024;

    static TextImport read(const QString& path);

    Status status() const { return m_status; }
    const QString& text() const { return m_text; }

    // Text as the decoder of a file's bytes gives it.
    static QString decode(const QByteArray& bytes);

private:
    Status m_status = Status::CannotOpen;
    QString m_text;
};
