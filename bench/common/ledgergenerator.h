#pragma once

#include <QString>

// Fills a new ledger file with realistic data for benchmarks: several years of
// entries, a few dozen projects and material categories, every expense mode, full
// payments and deposits, one to four locations per entry, Chinese names and notes,
// and diary entries. The same seed gives the same file.
struct LedgerShape {
    int entries = 10000;
    int diaryEntries = 0;
    int projects = 36;
    int categories = 48;
    int years = 10;
    unsigned seed = 20080801;
};

// Creates path (which must not exist yet) with the program's schema and fills it.
// Throws DbError on failure.
void generateLedger(const QString& path, const LedgerShape& shape = {});
