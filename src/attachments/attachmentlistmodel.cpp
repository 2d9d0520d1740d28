#include "attachmentlistmodel.h"

#include "attachmentpictures.h"
#include "database.h"

#include <QPainter>

AttachmentListModel::AttachmentListModel(QObject* parent) : QAbstractListModel(parent) {}

void AttachmentListModel::load(qint64 entryKey) {
    const QSqlDatabase db = Database::instance().connection();
    QVector<Row> rows;
    for (const AttachmentInfo& info : AttachmentTable::list(db, entryKey)) {
        Row row{info, {}, {}};
        if (!info.whole()) {
            row.preview.kind = AttachmentPreview::Kind::Damaged;
        } else if (AttachmentPreview::isImageType(info.mime) || AttachmentPreview::isPdfType(info.mime)) {
            row.preview =
                AttachmentPreview::of(AttachmentTable::content(db, info.key), info.mime, thumbnailSide);
        }
        if (!row.preview.thumbnail.isNull()) {
            row.picture = QPixmap::fromImage(row.preview.thumbnail);
            if (row.preview.kind == AttachmentPreview::Kind::Pdf) { // a white page needs its edge
                QPainter painter(&row.picture);
                painter.setPen(QColor(150, 150, 150));
                painter.drawRect(row.picture.rect().adjusted(0, 0, -1, -1));
            }
        } else if (row.preview.kind == AttachmentPreview::Kind::Damaged)
            row.picture = AttachmentPictures::damagedFile(thumbnailSide);
        else
            row.picture = AttachmentPictures::plainFile(thumbnailSide);
        rows.append(std::move(row));
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
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
