#pragma once

#include <QString>
#include <QStringList>

// What differs between the kinds of rows that two people may change at once (ledger
// entries, diary entries, projects, categories, budgets): how a message names the
// row, and the captions of its columns, in the order they are shown. Tables not
// listed show their own names.
namespace RowKinds {

struct Kind {
    QString table;
    QString noun;    // "这条账目"
    QString caption; // "账目", as a list names the table
    QStringList columns;
    QStringList captions; // one per column
};

Kind of(const QString& table);
// A column's caption, or its own name when the kind does not list it.
QString columnCaption(const Kind& kind, const QString& column);

} // namespace RowKinds
