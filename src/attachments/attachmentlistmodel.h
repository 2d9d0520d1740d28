#pragma once

#include "attachmentpreview.h"
#include "attachmenttable.h"

#include <QAbstractListModel>
#include <QPixmap>
#include <QVector>

// The attachments of one ledger entry, contract or stage, as the attachment window's thumbnails show
// them: the name and size under a thumbnail, a sheet for plain files, a torn sheet
// for damaged content (shorter than stored, or an image or PDF that no longer
// decodes). Loading reads the list only; the thumbnails of images and PDFs come
// from AttachmentThumbnails, cached or decoded off the GUI thread, and replace a
// plain sheet as they arrive.
class AttachmentListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int thumbnailSide = 96;
    enum Role { DamagedRole = Qt::UserRole + 1 };

    explicit AttachmentListModel(QObject* parent = nullptr);

    // Reads the attachments of an entry, a contract or a stage from the program's
    // connection. Throws DbError.
    void load(qint64 entryKey) { load(AttachmentOwner::entry(entryKey)); }
    void load(const AttachmentOwner& owner);
    // Shows none (a detail with nothing selected).
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const AttachmentInfo& info(int row) const { return m_rows[row].info; }
    bool isDamaged(int row) const { return m_rows[row].preview.kind == AttachmentPreview::Kind::Damaged; }
    qint64 totalBytes() const;
    // Thumbnails asked for and not yet shown.
    int picturesPending() const { return m_pending; }

    // "512 字节", "12.5 KB", "3.2 MB"
    static QString sizeText(qint64 bytes);

Q_SIGNALS:
    // The last thumbnail asked for has arrived (or could not be read).
    void picturesShown();

private:
    struct Row {
        AttachmentInfo info;
        AttachmentPreview preview;
        QPixmap picture;
        bool pending = false;
    };
    static QPixmap pictureOf(const AttachmentPreview& preview);
    void arrived(const QString& file, qint64 key, bool decoded);

    QString m_file; // the ledger file the rows are from
    QVector<Row> m_rows;
    int m_pending = 0;
};
