#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// What an attachment looks like in its window: a thumbnail of an image or of a
// PDF's first page, a plain file, or damaged content.
//
// Decoding goes through Qt's image plugins and Qt PDF, bounded by the thumbnail's
// size, so a huge or hostile picture costs no more than a small one.
struct AttachmentPreview {
    enum class Kind { Image, Pdf, File, Damaged };
    Kind kind = Kind::File;
    QImage thumbnail; // null for a plain file or damaged content
    QSize fullSize;   // an image's own size; empty otherwise

    static bool isImageType(const QString& mime);
    static bool isPdfType(const QString& mime);

    // The preview of content stored under that MIME type, fitting side × side.
    static AttachmentPreview of(const QByteArray& data, const QString& mime, int side);
};
