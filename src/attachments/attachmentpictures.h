#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

// The pictures of the attachment feature, painted here rather than taken from an
// icon set: the paper clip that marks entries with attachments, a sheet for plain
// files and a torn sheet for damaged content.
namespace AttachmentPictures {

void paintPaperClip(QPainter* painter, const QRectF& box, const QColor& colour);
QIcon paperClip();
QPixmap plainFile(int side);
QPixmap damagedFile(int side);

} // namespace AttachmentPictures
