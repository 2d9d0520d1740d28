#pragma once

#include "attachmentpreview.h"
#include "attachmenttable.h"

#include <QAbstractListModel>
#include <QPixmap>
#include <QVector>

// The attachments of one ledger entry, as the attachment window's thumbnails show
// them: the name and size under a thumbnail, a sheet for plain files, a torn sheet
// for damaged content (shorter than stored, or an image or PDF that no longer
// decodes). Only the content of images and PDFs is read, once, when loading.
class AttachmentListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int thumbnailSide = 96;
    enum Role { DamagedRole = Qt::UserRole + 1 };

    explicit AttachmentListModel(QObject* parent = nullptr);

    // Reads the entry's attachments from the program's connection. Throws DbError.
    void load(qint64 entryKey);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const AttachmentInfo& info(int row) const { return m_rows[row].info; }
    bool isDamaged(int row) const { return m_rows[row].preview.kind == AttachmentPreview::Kind::Damaged; }
    qint64 totalBytes() const;

    // "512 字节", "12.5 KB", "3.2 MB"
    static QString sizeText(qint64 bytes);

private:
    struct Row {
        AttachmentInfo info;
        AttachmentPreview preview;
        QPixmap picture;
    };
    QVector<Row> m_rows;
};
