#include "ledgertables.h"

#include "attachmenttable.h"
#include "budgettable.h"
#include "changehistory.h"
#include "contractattachments.h"
#include "contracttables.h"
#include "importtables.h"
#include "recyclebin.h"
#include "schema.h"

#include <QRegularExpression>

namespace LedgerTables {

namespace {

// "CREATE TABLE 名 (列 类型 …, 列 类型 …)": the definitions keep to this shape.
Table described(const QString& definition, bool required) {
    static const QRegularExpression shape(QStringLiteral("^CREATE TABLE (\\S+) \\((.*)\\)$"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = shape.match(definition.trimmed());
    Table table;
    table.name = match.captured(1);
    table.required = required;
    table.commonEntries = table.name == QStringLiteral("项目") || table.name == QStringLiteral("归类");
    for (const QString& column : match.captured(2).split(QLatin1Char(','))) {
        const QStringList words = column.simplified().split(QLatin1Char(' '));
        if (words.size() < 2)
            continue;
        table.columns << words[0];
        if (words[1].compare(QLatin1String("REAL"), Qt::CaseInsensitive) == 0)
            table.realColumns << words[0];
        else if (words[1].compare(QLatin1String("BLOB"), Qt::CaseInsensitive) == 0)
            table.blobColumn = words[0];
    }
    return table;
}

bool isTable(const QString& definition) {
    return definition.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive);
}

} // namespace

QStringList createStatements() {
    QStringList definitions = Schema::createStatements();
    definitions << BudgetTable::createStatement() << AttachmentTable::createStatements()
                << ContractTables::createStatements() << ContractAttachments::createStatements() << RecycleBin::createStatements()
                << ImportTables::createStatements() << ChangeHistory::createStatements();
    return definitions;
}

const QVector<Table>& all() {
    static const QVector<Table> tables = [] {
        const QStringList required = Schema::createStatements();
        QVector<Table> list;
        for (const QString& definition : createStatements()) {
            if (isTable(definition))
                list << described(definition, required.contains(definition));
        }
        return list;
    }();
    return tables;
}

const Table* find(const QString& name) {
    for (const Table& table : all()) {
        if (table.name == name)
            return &table;
    }
    return nullptr;
}

} // namespace LedgerTables
