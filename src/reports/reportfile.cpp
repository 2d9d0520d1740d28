#include "reportfile.h"

#include "preparedreport.h"
#include "reporterror.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

using namespace ReportLayout;

namespace ReportFile {

namespace {

constexpr qsizetype MagicSize = 8;
constexpr qsizetype DigestSize = 32;
constexpr qsizetype HeaderSize = MagicSize + 4 + 8 + DigestSize;
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;

constexpr quint32 MaxBands = 64;
constexpr quint32 MaxObjects = 10000;
constexpr quint32 MaxPages = 1000000;
constexpr qint64 MaxFileSize = qint64(1) << 31;

QByteArray digest(const QByteArray& content) {
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256);
}

[[noreturn]] void damaged() {
    throw ReportError(QStringLiteral("文件已损坏。"));
}

[[noreturn]] void truncated() {
    throw ReportError(QStringLiteral("文件不完整，可能没有保存完或被截断了。"));
}

[[noreturn]] void foreign() {
    throw ReportError(QStringLiteral("它不是本程序保存的报表文件。"));
}

// Reads the content, checking every count against what is left and every value
// against its range; the digest has matched already, so a failure here means a
// file written by something else under our magic.
class ContentReader {
public:
    explicit ContentReader(const QByteArray& content) {
        m_buffer.setData(content);
        m_buffer.open(QIODevice::ReadOnly);
        m_in.setDevice(&m_buffer);
        m_in.setVersion(StreamVersion);
    }

    void check() {
        if (m_in.status() != QDataStream::Ok)
            damaged();
    }
    qint64 left() const { return m_buffer.size() - m_buffer.pos(); }

    QString text() {
        QString s;
        m_in >> s;
        check();
        return s;
    }
    double number(double min, double max) {
        double d = 0;
        m_in >> d;
        check();
        if (!std::isfinite(d) || d < min || d > max)
            damaged();
        return d;
    }
    quint32 count(quint32 max, qint64 leastBytesEach) {
        quint32 n = 0;
        m_in >> n;
        check();
        if (n > max || qint64(n) * leastBytesEach > left())
            damaged();
        return n;
    }
    quint8 small(quint8 limit) {
        quint8 v = 0;
        m_in >> v;
        check();
        if (v >= limit)
            damaged();
        return v;
    }
    bool flag() { return small(2) != 0; }
    qint32 integer(qint32 min, qint32 max) {
        qint32 v = 0;
        m_in >> v;
        check();
        if (v < min || v > max)
            damaged();
        return v;
    }
    bool atEnd() const { return m_buffer.atEnd(); }

private:
    QBuffer m_buffer;
    QDataStream m_in;
};

void writeContent(QDataStream& out, const PreparedReport& report) {
    out << report.name << qint32(report.page.size) << quint8(report.page.orientation)
        << report.page.margins.left() << report.page.margins.top() << report.page.margins.right()
        << report.page.margins.bottom();
    out << quint32(report.bands.size());
    for (const Band& band : report.bands) {
        out << band.name << quint8(band.kind) << band.height << quint32(band.objects.size());
        for (const TextObject& o : band.objects)
            out << o.name << o.rect.left() << o.rect.top() << o.rect.width() << o.rect.height() << o.text
                << o.fontName << o.fontSize << quint8(o.bold) << quint8(o.hAlign) << quint8(o.vAlign)
                << quint8(o.frame) << quint8(o.wordWrap);
    }
    out << quint32(report.pages.size());
    for (const PreparedReport::Page& page : report.pages) {
        out << quint32(page.bands.size());
        for (const PreparedReport::PlacedBand& placed : page.bands) {
            out << quint32(placed.band) << placed.top;
            for (const QString& text : placed.texts)
                out << text;
        }
    }
}

PreparedReport readContent(const QByteArray& content) {
    ContentReader in(content);
    PreparedReport report;
    report.name = in.text();
    report.page.size = QPageSize::PageSizeId(in.integer(0, QPageSize::LastPageSize));
    report.page.orientation = QPageLayout::Orientation(in.small(2));
    const double left = in.number(0, 100), top = in.number(0, 100), right = in.number(0, 100),
                 bottom = in.number(0, 100);
    report.page.margins = QMarginsF(left, top, right, bottom);

    // Least sizes of an entry, for checking counts against the bytes left.
    constexpr qint64 LeastBand = 4 + 1 + 8 + 4;
    constexpr qint64 LeastObject = 4 + 4 * 8 + 4 + 4 + 8 + 5;
    constexpr qint64 LeastPage = 4;
    constexpr qint64 LeastPlacement = 4 + 8;

    const quint32 bandCount = in.count(MaxBands, LeastBand);
    for (quint32 b = 0; b < bandCount; ++b) {
        Band band;
        band.name = in.text();
        band.kind = BandKind(in.small(5));
        band.height = in.number(0, 100000);
        const quint32 objects = in.count(MaxObjects, LeastObject);
        for (quint32 i = 0; i < objects; ++i) {
            TextObject o;
            o.name = in.text();
            const double x = in.number(0, 100000), y = in.number(0, 100000), w = in.number(0, 100000),
                         h = in.number(0, 100000);
            o.rect = QRectF(x, y, w, h);
            o.text = in.text();
            o.fontName = in.text();
            o.fontSize = in.number(1, 500);
            o.bold = in.flag();
            o.hAlign = HAlign(in.small(3));
            o.vAlign = VAlign(in.small(2));
            o.frame = in.flag();
            o.wordWrap = in.flag();
            band.objects.append(o);
        }
        report.bands.append(band);
    }

    const quint32 pageCount = in.count(MaxPages, LeastPage);
    report.pages.reserve(pageCount);
    for (quint32 p = 0; p < pageCount; ++p) {
        PreparedReport::Page page;
        const quint32 placements = in.count(MaxObjects, LeastPlacement);
        for (quint32 i = 0; i < placements; ++i) {
            PreparedReport::PlacedBand placed;
            placed.band = int(in.integer(0, qint32(bandCount) - 1));
            placed.top = in.number(-100000, 100000);
            const qsizetype texts = report.bands[placed.band].objects.size();
            if (qint64(texts) * 4 > in.left())
                damaged();
            placed.texts.reserve(texts);
            for (qsizetype t = 0; t < texts; ++t)
                placed.texts.append(in.text());
            page.bands.append(std::move(placed));
        }
        report.pages.append(std::move(page));
    }
    if (!in.atEnd())
        damaged();
    return report;
}

} // namespace

QByteArray toBytes(const PreparedReport& report) {
    QByteArray content;
    {
        QDataStream out(&content, QIODevice::WriteOnly);
        out.setVersion(StreamVersion);
        writeContent(out, report);
    }
    QByteArray bytes;
    QDataStream header(&bytes, QIODevice::WriteOnly);
    header.setVersion(StreamVersion);
    header.writeRawData(Magic, MagicSize);
    header << Version << quint64(content.size());
    header.writeRawData(digest(content).constData(), DigestSize);
    header.writeRawData(content.constData(), int(content.size()));
    return bytes;
}

PreparedReport fromBytes(const QByteArray& bytes) {
    const QByteArray magic = QByteArray::fromRawData(Magic, MagicSize);
    if (bytes.size() < MagicSize) {
        if (!bytes.isEmpty() && magic.startsWith(bytes))
            truncated();
        foreign();
    }
    if (!bytes.startsWith(magic))
        foreign();
    if (bytes.size() < MagicSize + 4)
        truncated();

    QDataStream header(bytes);
    header.setVersion(StreamVersion);
    header.skipRawData(int(MagicSize));
    quint32 version = 0;
    header >> version;
    if (version > Version)
        throw ReportError(
            QStringLiteral("它由本程序的较新版本保存（格式 %1），这里只能读取格式 %2 及以前的文件。")
                .arg(version)
                .arg(Version));
    if (version == 0)
        damaged();
    if (bytes.size() < HeaderSize)
        truncated();
    quint64 length = 0;
    header >> length;
    const QByteArray expected = bytes.mid(MagicSize + 12, DigestSize);
    const quint64 available = quint64(bytes.size() - HeaderSize);
    if (length > available)
        truncated();
    if (length < available)
        damaged();
    const QByteArray content = bytes.mid(HeaderSize);
    if (digest(content) != expected)
        damaged();
    return readContent(content);
}

void save(const PreparedReport& report, const QString& fileName) {
    const QString shown = QFileInfo(fileName).fileName();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("无法保存报表文件“%1”：%2").arg(shown, file.errorString()));
    const QByteArray bytes = toBytes(report);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw ReportError(QStringLiteral("无法保存报表文件“%1”：%2").arg(shown, file.errorString()));
}

PreparedReport load(const QString& fileName) {
    const QString shown = QFileInfo(fileName).fileName();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("无法打开报表文件“%1”：%2").arg(shown, file.errorString()));
    try {
        // A foreign file is refused from its first bytes, however large it is.
        const QByteArray start = file.peek(MagicSize);
        if (start.size() == MagicSize && start != QByteArray::fromRawData(Magic, MagicSize))
            foreign();
        if (file.size() > MaxFileSize)
            damaged();
        return fromBytes(file.readAll());
    } catch (const ReportError& error) {
        throw ReportError(QStringLiteral("无法载入报表文件“%1”：%2").arg(shown, error.message()));
    }
}

} // namespace ReportFile
