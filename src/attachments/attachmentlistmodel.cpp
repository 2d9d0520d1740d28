#include "attachmentlistmodel.h"

#include "attachmentpictures.h"
#include "attachmentthumbnails.h"
#include "database.h"

#include <QPainter>
#include <QPixmapCache>

static_assert(AttachmentListModel::thumbnailSide == AttachmentThumbnails::side);

AttachmentListModel::AttachmentListModel(QObject* parent) : QAbstractListModel(parent) {
    AttachmentThumbnails& thumbnails = AttachmentThumbnails::instance();
    connect(&thumbnails, &AttachmentThumbnails::ready, this,
            [this](const QString& file, qint64 key) { arrived(file, key, true); });
    connect(&thumbnails, &AttachmentThumbnails::unavailable, this,
            [this](const QString& file, qint64 key) { arrived(file, key, false); });
}

void AttachmentListModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_pending = 0;
    endResetModel();
}

void AttachmentListModel::load(const AttachmentOwner& owner) {
    AttachmentThumbnails& thumbnails = AttachmentThumbnails::instance();
    const QVector<AttachmentInfo> listed = AttachmentTable::list(Database::instance().connection(), owner);
    const QString file = AttachmentThumbnails::currentFile();
    QVector<Row> rows;
    QVector<AttachmentInfo> wanted;
    for (const AttachmentInfo& info : listed) {
        Row row;
        row.info = info;
        if (!info.whole()) {
            row.preview.kind = AttachmentPreview::Kind::Damaged;
        } else if (AttachmentThumbnails::hasPreview(info)) {
            if (const AttachmentPreview* cached = thumbnails.find(file, info)) {
                row.preview = *cached;
            } else {
                row.pending = true;
                wanted.append(info);
            }
        }
        row.picture = pictureOf(row.preview);
        rows.append(std::move(row));
    }
    beginResetModel();
    m_file = file;
    m_rows = std::move(rows);
    m_pending = int(wanted.size());
    endResetModel();
    thumbnails.request(file, wanted);
    if (m_pending == 0)
        Q_EMIT picturesShown();
}

QPixmap AttachmentListModel::pictureOf(const AttachmentPreview& preview) {
    if (!preview.thumbnail.isNull()) {
        QPixmap picture = QPixmap::fromImage(preview.thumbnail);
        if (preview.kind == AttachmentPreview::Kind::Pdf) { // a white page needs its edge
            QPainter painter(&picture);
            painter.setPen(QColor(150, 150, 150));
            painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
        }
        return picture;
    }
    // Painted once: a window of hundreds of attachments shows hundreds of these at first.
    const bool damaged = preview.kind == AttachmentPreview::Kind::Damaged;
    const QString key = damaged ? QStringLiteral("attachment-damaged") : QStringLiteral("attachment-plain");
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = damaged ? AttachmentPictures::damagedFile(thumbnailSide)
                          : AttachmentPictures::plainFile(thumbnailSide);
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

void AttachmentListModel::arrived(const QString& file, qint64 key, bool decoded) {
    if (file != m_file)
        return;
    for (int i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        if (row.info.key != key || !row.pending)
            continue;
        row.pending = false;
        --m_pending;
        if (const AttachmentPreview* preview =
                decoded ? AttachmentThumbnails::instance().find(file, row.info) : nullptr) {
            row.preview = *preview;
            row.picture = pictureOf(row.preview);
            Q_EMIT dataChanged(index(i), index(i));
        }
        if (m_pending == 0)
            Q_EMIT picturesShown();
        return;
    }
}

int AttachmentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant AttachmentListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[index.row()];
    const bool damaged = row.preview.kind == AttachmentPreview::Kind::Damaged;
    switch (role) {
    case Qt::DisplayRole:
        return row.info.name + QLatin1Char('\n') +
               (damaged ? QStringLiteral("已损坏") : sizeText(row.info.bytes));
    case Qt::DecorationRole:
        return row.picture;
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1, %2, %3, %4添加")
            .arg(row.info.name, damaged ? QStringLiteral("已损坏") : sizeText(row.info.bytes), row.info.mime,
                 row.info.added);
    case DamagedRole:
        return damaged;
    default:
        return {};
    }
}

qint64 AttachmentListModel::totalBytes() const {
    qint64 total = 0;
    for (const Row& row : m_rows)
        total += row.info.bytes;
    return total;
}

QString AttachmentListModel::sizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}
