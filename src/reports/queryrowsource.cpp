#include "queryrowsource.h"

#include "numbertext.h"
#include "query.h"
#include "reporterror.h"

QueryRowSource::QueryRowSource(Query* query, QString name) : m_query(query), m_name(std::move(name)) {}

void QueryRowSource::first() {
    if (m_query && m_query->isOpen())
        m_query->first();
}

void QueryRowSource::next() {
    if (m_query && m_query->isOpen())
        m_query->next();
}

bool QueryRowSource::eof() const {
    return !m_query || !m_query->isOpen() || m_query->isEmpty() || m_query->eof();
}

bool QueryRowSource::field(const QString& dataset, const QString& column, QString& value) const {
    if (dataset.compare(m_name, Qt::CaseInsensitive) != 0)
        return false;
    if (!m_query || m_query->columnIndex(column) < 0)
        throw ReportError(QStringLiteral("数据集 %1 没有字段“%2”").arg(m_name, column));
    if (eof() || m_query->currentRow() < 0) {
        value.clear(); // after the last row, as in a footer
        return true;
    }
    const QVariant v = m_query->value(column);
    if (v.isNull())
        value.clear();
    else if (v.typeId() == QMetaType::Double)
        value = NumberText::format(v.toDouble());
    else
        value = v.toString();
    return true;
}
