#pragma once

#include <QString>
#include <QTemporaryDir>

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
