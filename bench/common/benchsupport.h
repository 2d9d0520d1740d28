#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// A generated ledger file under a temporary directory that is the working
// directory, named as the program expects, so the program's Database finds it.
class GeneratedLedger {
public:
    explicit GeneratedLedger(int entries, int diaryEntries = 0);
    ~GeneratedLedger();
    QString filePath() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_previous;
    QString m_path;
};

// Peak resident memory of this process so far, in megabytes.
double peakMemoryMegabytes();

struct sqlite3;

// One attachment row, stored as it is by addAttachmentsBare.
struct BareAttachment {
    qint64 entry = 0;
    QString name;
    QString mime;
    QByteArray data;
};

// Adds `count` attachments, row(i) each, to the file's 附件 in one transaction on a
// bare connection: as fast as the disk allows, for generating large ledgers.
void addAttachmentsBare(const QString& path, int count, const std::function<BareAttachment(int)>& row);

// Steps through a statement on a bare SQLite connection, reading every column of
// every row as the engine hands it out: the floor for any reader of the same
// statement. The checksum keeps the reads from being optimised away.
struct BareRead {
    int rows = -1; // -1: the statement did not prepare
    quint64 checksum = 0;
    const char* error = nullptr;
};
BareRead readAllBare(sqlite3* db, const QByteArray& sql);
