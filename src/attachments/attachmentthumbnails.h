#pragma once

#include "attachmentpreview.h"
#include "attachmenttable.h"
#include "serveraddress.h"

#include <QCache>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QThread>
#include <optional>

class ThumbnailDecoder;

// The previews of images and PDFs stored as attachments, decoded once, off the GUI
// thread, and kept by the attachment's key, so that opening a window again, adding
// or deleting costs no decoding of what is already shown.
//
// A worker thread reads each content on a read-only connection of its own, opened
// for a batch and closed when the queue is empty (a restored ledger is read anew),
// and decodes it within the thumbnail's size. Attachments are never changed in
// place, so a key and its stored size name one content of one ledger file.
class AttachmentThumbnails : public QObject {
    Q_OBJECT
public:
    static constexpr int side = 96; // previews fit side × side

    static AttachmentThumbnails& instance();
    ~AttachmentThumbnails() override;

    // Whether an attachment gets a preview at all: a whole image or PDF.
    static bool hasPreview(const AttachmentInfo& info);

    // The ledger the program's connection names now, as the cache tells ledgers apart:
    // a file's path and its inode (a restore puts another file in its place), or a
    // shared ledger's address.
    static QString currentFile();

    // The cached preview of an attachment of that file; null when not decoded yet.
    const AttachmentPreview* find(const QString& file, const AttachmentInfo& info);

    // Queues those attachments of that file that are neither cached nor queued,
    // ahead of those asked for earlier.
    void request(const QString& file, const QVector<AttachmentInfo>& attachments);

    // Keeps a preview decoded elsewhere (by the check of a file being added).
    void insert(const QString& file, const AttachmentInfo& info, const AttachmentPreview& preview);

    // Drops every cached preview (to measure decoding afresh).
    void clear();

Q_SIGNALS:
    // The preview of that attachment of that file is in the cache now.
    void ready(const QString& file, qint64 key);
    // Its content could not be read (a busy file, a row deleted meanwhile).
    void unavailable(const QString& file, qint64 key);

private:
    friend class ThumbnailDecoder;
    struct Job {
        QString file; // as currentFile() names it
        qint64 key = 0;
        qint64 storedBytes = 0;
        QString mime;
        ServerAddress server; // a shared ledger's, with its password
        QString password;
    };
    struct CacheKey {
        QString file;
        qint64 key;
        friend bool operator==(const CacheKey&, const CacheKey&) = default;
        friend size_t qHash(const CacheKey& k, size_t seed = 0) { return qHashMulti(seed, k.file, k.key); }
    };
    struct Cached {
        qint64 storedBytes;
        AttachmentPreview preview;
    };

    AttachmentThumbnails();
    // Worker side: the next job, or false when the queue is empty.
    bool takeJob(Job& job);
    // GUI side: a job done; a null preview when the content could not be read.
    void finish(const Job& job, const std::optional<AttachmentPreview>& preview);

    QCache<CacheKey, Cached> m_cache;
    QSet<CacheKey> m_queued; // asked for and not yet decoded
    QMutex m_queueMutex;
    QList<Job> m_queue;
    QThread m_thread;
    ThumbnailDecoder* m_decoder;
};
