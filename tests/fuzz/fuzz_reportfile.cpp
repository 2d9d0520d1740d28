// Any bytes through the prepared-report loader. Half the inputs are wrapped in a
// well-formed header with the right digest, so the content reader itself is
// exercised, not only the header checks. A report that loads must survive a
// save and load unchanged.
#include "preparedreport.h"
#include "reporterror.h"
#include "reportfile.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray wrapped(const QByteArray& content) {
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.writeRawData(ReportFile::Magic, 8);
    out << quint32(ReportFile::Version) << quint64(content.size());
    const QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    out.writeRawData(digest.constData(), int(digest.size()));
    out.writeRawData(content.constData(), int(content.size()));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    // Seeds are whole files; mode 1 takes the content behind their header.
    const QByteArray bytes = data[0] & 1 ? wrapped(rest.mid(52)) : rest;
    try {
        const PreparedReport report = ReportFile::fromBytes(bytes);
        const PreparedReport again = ReportFile::fromBytes(ReportFile::toBytes(report));
        if (!(again == report))
            std::abort();
    } catch (const ReportError&) {
    }
    return 0;
}
