#pragma once

#include "attachmentpreview.h"
#include "attachmenttable.h"

#include <QSize>
#include <QString>

// A file on its way into the ledger: read whole, its type told from its name and
// content, and checked against the limits.
//
// A file that claims to be an image or a PDF but does not decode as one is kept as
// a plain file. Images whose longer side exceeds largeSide may be re-encoded as
// JPEG with scaledSide before storing; the caller asks the user first.
class AttachmentIntake {
public:
    enum class Status { Ready, CannotRead, TooLarge };
    static constexpr qint64 sizeLimit = qint64(20) * 1024 * 1024;
    static constexpr int largeSide = 4000;
    static constexpr int scaledSide = 2400;
    static inline const QString plainType = QStringLiteral("application/octet-stream");

    static AttachmentIntake read(const QString& path);
    // The same checks on content already in memory (a drop, a test, the fuzzer).
    static AttachmentIntake fromContent(const QString& name, const QByteArray& data);

    Status status() const { return m_status; }
    QString failure() const { return m_failure; } // why a file could not be read
    const NewAttachment& attachment() const { return m_attachment; }
    QSize imageSize() const { return m_imageSize; }
    // An image's or PDF's thumbnail, decoded by the check; a plain file's is empty.
    const AttachmentPreview& preview() const { return m_preview; }

    bool isLargeImage() const;
    // Re-encodes a large image as JPEG (the name then ends in .jpg); false when it fails.
    bool scaleDown();

private:
    Status m_status = Status::Ready;
    QString m_failure;
    NewAttachment m_attachment;
    QSize m_imageSize;
    AttachmentPreview m_preview;
};
