#include "attachmentpreview.h"

#include <QBuffer>
#include <QImageReader>
#include <QPdfDocument>

namespace {

// Images beyond this many pixels are refused before decoding: no real photo has them.
constexpr qint64 pixelLimit = qint64(20000) * 20000;

AttachmentPreview damaged() {
    AttachmentPreview preview;
    preview.kind = AttachmentPreview::Kind::Damaged;
    return preview;
}

AttachmentPreview imagePreview(const QByteArray& data, int side) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > pixelLimit)
        return damaged();
    // JPEG decodes straight to the smaller size, the others scale after decoding.
    reader.setScaledSize(size.scaled(QSize(side, side), Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    AttachmentPreview preview;
    preview.thumbnail = reader.read();
    if (preview.thumbnail.isNull())
        return damaged();
    preview.kind = AttachmentPreview::Kind::Image;
    preview.fullSize = size;
    return preview;
}

AttachmentPreview pdfPreview(const QByteArray& data, int side) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    if (document.status() != QPdfDocument::Status::Ready || document.pageCount() < 1)
        return damaged();
    const QSizeF page = document.pagePointSize(0);
    if (page.isEmpty())
        return damaged();
    AttachmentPreview preview;
    preview.thumbnail = document.render(
        0, page.toSize().scaled(QSize(side, side), Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    if (preview.thumbnail.isNull())
        return damaged();
    preview.kind = AttachmentPreview::Kind::Pdf;
    return preview;
}

} // namespace

bool AttachmentPreview::isImageType(const QString& mime) {
    static const QList<QByteArray> decodable = QImageReader::supportedMimeTypes();
    return mime.startsWith(QLatin1String("image/")) && decodable.contains(mime.toLatin1());
}

bool AttachmentPreview::isPdfType(const QString& mime) {
    return mime == QLatin1String("application/pdf");
}

AttachmentPreview AttachmentPreview::of(const QByteArray& data, const QString& mime, int side) {
    if (isImageType(mime))
        return imagePreview(data, side);
    if (isPdfType(mime))
        return pdfPreview(data, side);
    return {};
}
