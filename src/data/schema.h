#pragma once

#include <QString>
#include <QStringList>

class SqlConnection;

// The four tables of the ledger file and the common entries a new file starts with.
namespace Schema {

QStringList createStatements();
QStringList commonProjects();
QStringList commonCategories();

// Creates every table of a new ledger on db, inside the caller's transaction: the
// four tables and every later one (LedgerTables), and the common entries when asked for.
void createTables(const SqlConnection& db, bool withCommonEntries);

// Creates a complete new ledger file at path, with the four tables and the later
// ones (LedgerTables: budgets, attachments, contracts). Refuses an existing path; builds the file under a temporary name
// beside it and moves it into place only when it is whole, so no half-made file is
// ever left behind. Throws DbError.
void createDatabaseFile(const QString& path, bool withCommonEntries = true);

} // namespace Schema
