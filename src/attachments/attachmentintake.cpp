#include "attachmentintake.h"

#include "attachmentpreview.h"
#include "attachmentthumbnails.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QPainter>

AttachmentIntake AttachmentIntake::read(const QString& path) {
    AttachmentIntake intake;
    const QFileInfo info(path);
    intake.m_attachment.name = info.fileName();
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        intake.m_status = Status::CannotRead;
        intake.m_failure = info.isDir() ? QStringLiteral("这是一个文件夹") : file.errorString();
        return intake;
    }
    // The size is asked before reading, so a huge file is never read into memory.
    if (file.size() > sizeLimit) {
        intake.m_status = Status::TooLarge;
        return intake;
    }
    QByteArray data = file.read(sizeLimit + 1);
    if (file.error() != QFileDevice::NoError) {
        intake.m_status = Status::CannotRead;
        intake.m_failure = file.errorString();
        return intake;
    }
    if (data.size() > sizeLimit) { // it grew meanwhile
        intake.m_status = Status::TooLarge;
        return intake;
    }
    return fromContent(info.fileName(), data);
}

AttachmentIntake AttachmentIntake::fromContent(const QString& name, const QByteArray& data) {
    AttachmentIntake intake;
    intake.m_attachment = {name, QString(), data};
    if (data.size() > sizeLimit) {
        intake.m_status = Status::TooLarge;
        return intake;
    }
    QString mime = QMimeDatabase().mimeTypeForFileNameAndData(name, data).name();
    if (AttachmentPreview::isImageType(mime) || AttachmentPreview::isPdfType(mime)) {
        // Decoded at the thumbnail's size, so that the window need not decode it again.
        const AttachmentPreview preview = AttachmentPreview::of(data, mime, AttachmentThumbnails::side);
        if (preview.kind == AttachmentPreview::Kind::Damaged)
            mime = plainType;
        else
            intake.m_preview = preview;
        intake.m_imageSize = preview.fullSize;
    }
    intake.m_attachment.mime = mime.isEmpty() ? plainType : mime;
    return intake;
}

bool AttachmentIntake::isLargeImage() const {
    return qMax(m_imageSize.width(), m_imageSize.height()) > largeSide;
}

bool AttachmentIntake::scaleDown() {
    QBuffer source;
    source.setData(m_attachment.data);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isEmpty())
        return false;
    reader.setScaledSize(size.scaled(QSize(scaledSide, scaledSide), Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return false;
    if (image.hasAlphaChannel()) { // JPEG has none: put the picture on white
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    QByteArray jpeg;
    QBuffer target(&jpeg);
    target.open(QIODevice::WriteOnly);
    QImageWriter writer(&target, "jpeg");
    writer.setQuality(85);
    if (!writer.write(image))
        return false;
    const QFileInfo name(m_attachment.name);
    m_attachment = {name.completeBaseName() + QStringLiteral(".jpg"), QStringLiteral("image/jpeg"), jpeg};
    m_imageSize = image.size();
    m_preview = {}; // the worker decodes the stored JPEG
    return true;
}
