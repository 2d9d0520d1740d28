#pragma once

#include <QByteArray>
#include <QString>

class PreparedReport;

// The program's own file of a prepared report ("*.jzr"): a header with a magic
// text, the format version, the length and SHA-256 digest of the content, then the
// content. A file that is foreign, of a newer version, truncated or damaged is
// refused with a ReportError that says which, never read in part.
namespace ReportFile {

inline constexpr quint32 Version = 1;
inline constexpr char Magic[] = "JZREPORT"; // 8 bytes, without the terminator

QByteArray toBytes(const PreparedReport& report);
// Throws ReportError with the reason (without a file name).
PreparedReport fromBytes(const QByteArray& bytes);

// Throw ReportError with a message for the user that names the file.
void save(const PreparedReport& report, const QString& fileName);
PreparedReport load(const QString& fileName);

} // namespace ReportFile
