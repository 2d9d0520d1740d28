#include "benchsupport.h"

#include "database.h"
#include "ledgergenerator.h"

#include <QDir>
#include <sys/resource.h>

GeneratedLedger::GeneratedLedger(int entries, int diaryEntries) : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
    m_path = QDir(m_dir.path()).filePath(Database::defaultFileName());
    LedgerShape shape;
    shape.entries = entries;
    shape.diaryEntries = diaryEntries;
    generateLedger(m_path, shape);
    Database::instance().close();
}

GeneratedLedger::~GeneratedLedger() {
    Database::instance().close();
    QDir::setCurrent(m_previous);
}

double peakMemoryMegabytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}
