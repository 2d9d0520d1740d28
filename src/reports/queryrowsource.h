#pragma once

#include "rowsource.h"

#include <QPointer>

class Query;

// The rows of a Query from first to last; moves the query's current row while the
// report prepares. Its fields are named by the query's name, as in
// ADOQuery1."CTYPE"; a null value reads as the empty text and a number in the
// program's general number format.
class QueryRowSource : public RowSource {
public:
    explicit QueryRowSource(Query* query, QString name = QStringLiteral("ADOQuery1"));

    void first() override;
    void next() override;
    bool eof() const override;
    bool field(const QString& dataset, const QString& column, QString& value) const override;

private:
    QPointer<Query> m_query;
    QString m_name;
};
