#include "attachmentthumbnails.h"

#include "database.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutexLocker>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>
#include <sys/stat.h>

namespace {

// Decoded thumbnails are kept up to this many bytes: some two thousand previews.
constexpr qsizetype cacheBytes = qsizetype(64) * 1024 * 1024;

// A file's identity as currentFile() writes it: its path on the first line.
QString pathOf(const QString& file) {
    return file.section(QLatin1Char('\n'), 0, 0);
}

} // namespace

// Lives in the worker thread; empties the queue whenever it is asked to.
class ThumbnailDecoder : public QObject {
public:
    explicit ThumbnailDecoder(AttachmentThumbnails* owner) : m_owner(owner) {}

    void drain() {
        {
            QSqlDatabase db;
            QString openFile;
            AttachmentThumbnails::Job job;
            while (!QThread::currentThread()->isInterruptionRequested() && m_owner->takeJob(job)) {
                if (job.file != openFile) {
                    db = {};
                    QSqlDatabase::removeDatabase(connectionName);
                    db = open(job);
                    openFile = job.file;
                }
                std::optional<AttachmentPreview> preview;
                try {
                    const QByteArray data = AttachmentTable::content(db, job.key);
                    if (data.size() == job.storedBytes)
                        preview = AttachmentPreview::of(data, job.mime, AttachmentThumbnails::side);
                    else
                        preview = AttachmentPreview{AttachmentPreview::Kind::Damaged, {}, {}};
                } catch (const DbError&) {
                    // Told as unavailable: the window keeps its placeholder.
                }
                QMetaObject::invokeMethod(
                    m_owner, [owner = m_owner, job, preview] { owner->finish(job, preview); },
                    Qt::QueuedConnection);
            }
            db.close(); // the next batch opens the file anew, whatever replaced it
        }
        QSqlDatabase::removeDatabase(connectionName);
    }

private:
    static constexpr QLatin1StringView connectionName{"attachment-thumbnails"};

    // Read-only: decoding previews never writes to the ledger, nor creates a file. A
    // shared ledger is read on a server connection of the thread's own.
    static QSqlDatabase open(const AttachmentThumbnails::Job& job) {
        QSqlDatabase db;
        if (job.server.isValid()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
            job.server.applyTo(db, job.password);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
            db.setDatabaseName(QUrl::fromLocalFile(pathOf(job.file)).toString(QUrl::FullyEncoded) +
                               QStringLiteral("?mode=ro"));
            db.setConnectOptions(
                QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        }
        db.open(); // a failure shows in the first read
        return db;
    }

    AttachmentThumbnails* m_owner;
};

AttachmentThumbnails& AttachmentThumbnails::instance() {
    // Owned by the application, so the worker stops before Qt goes down.
    static QPointer<AttachmentThumbnails> only;
    if (!only)
        only = new AttachmentThumbnails;
    return *only;
}

AttachmentThumbnails::AttachmentThumbnails()
    : QObject(QCoreApplication::instance()), m_cache(cacheBytes), m_decoder(new ThumbnailDecoder(this)) {
    m_thread.setObjectName(QStringLiteral("AttachmentThumbnails"));
    m_decoder->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

AttachmentThumbnails::~AttachmentThumbnails() {
    m_thread.requestInterruption();
    m_thread.quit();
    m_thread.wait(); // at most the one preview being decoded
    delete m_decoder;
}

bool AttachmentThumbnails::hasPreview(const AttachmentInfo& info) {
    return info.whole() &&
           (AttachmentPreview::isImageType(info.mime) || AttachmentPreview::isPdfType(info.mime));
}

// A shared ledger has no file: its address names it (keys are never used twice in it).
QString AttachmentThumbnails::currentFile() {
    const Database& ledger = Database::instance();
    if (ledger.isServer()) {
        const ServerAddress& a = ledger.server();
        return QStringLiteral("postgresql://%1@%2:%3/%4").arg(a.user, a.host).arg(a.port).arg(a.database);
    }
    const QString path = ledger.filePath();
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return path;
    return QStringLiteral("%1\n%2:%3").arg(path).arg(quint64(status.st_dev)).arg(quint64(status.st_ino));
}

const AttachmentPreview* AttachmentThumbnails::find(const QString& file, const AttachmentInfo& info) {
    const Cached* cached = m_cache.object(CacheKey{file, info.key});
    return cached && cached->storedBytes == info.storedBytes ? &cached->preview : nullptr;
}

void AttachmentThumbnails::request(const QString& file, const QVector<AttachmentInfo>& attachments) {
    QList<Job> jobs;
    for (const AttachmentInfo& info : attachments) {
        const CacheKey key{file, info.key};
        if (!hasPreview(info) || find(file, info) || m_queued.contains(key))
            continue;
        m_queued.insert(key);
        jobs.append({file, info.key, info.storedBytes, info.mime, Database::instance().server(),
                     Database::instance().password()});
    }
    if (jobs.isEmpty())
        return;
    {
        // The window opened last shows its pictures first.
        const QMutexLocker lock(&m_queueMutex);
        m_queue = jobs + m_queue;
    }
    QMetaObject::invokeMethod(m_decoder, &ThumbnailDecoder::drain, Qt::QueuedConnection);
}

void AttachmentThumbnails::clear() {
    m_cache.clear(); // what is queued still arrives, for the windows that wait for it
}

void AttachmentThumbnails::insert(const QString& file, const AttachmentInfo& info,
                                  const AttachmentPreview& preview) {
    if (hasPreview(info) && !preview.thumbnail.isNull())
        m_cache.insert(CacheKey{file, info.key}, new Cached{info.storedBytes, preview},
                       qMax<qsizetype>(1, preview.thumbnail.sizeInBytes()));
}

bool AttachmentThumbnails::takeJob(Job& job) {
    const QMutexLocker lock(&m_queueMutex);
    if (m_queue.isEmpty())
        return false;
    job = m_queue.takeFirst();
    return true;
}

void AttachmentThumbnails::finish(const Job& job, const std::optional<AttachmentPreview>& preview) {
    const CacheKey key{job.file, job.key};
    m_queued.remove(key);
    if (!preview) {
        Q_EMIT unavailable(job.file, job.key);
        return;
    }
    m_cache.insert(key, new Cached{job.storedBytes, *preview},
                   qMax<qsizetype>(1, preview->thumbnail.sizeInBytes()));
    Q_EMIT ready(job.file, job.key);
}
