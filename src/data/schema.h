#pragma once

#include <QString>
#include <QStringList>

// The four tables of the ledger file and the common entries a new file starts with.
namespace Schema {

QStringList createStatements();
QStringList commonProjects();
QStringList commonCategories();

// Creates a complete new ledger file at path, with the four tables, the budget
// table 预算 and the attachment table 附件. Refuses an existing path; builds the file under a temporary name
// beside it and moves it into place only when it is whole, so no half-made file is
// ever left behind. Throws DbError.
void createDatabaseFile(const QString& path, bool withCommonEntries = true);

} // namespace Schema
