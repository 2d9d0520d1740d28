#include "lookuptable.h"

#include "numbertext.h"
#include "query.h"

void LookupTable::clear() {
    m_names.clear();
    m_stored.clear();
    m_keys.clear();
}

void LookupTable::add(const QString& name, qint64 key, const QString& stored) {
    m_names.append(name);
    m_stored.append(stored.isNull() ? name : stored);
    m_keys.append(key);
}

void LookupTable::load(Query& query, const QString& sql, const QString& nameColumn) {
    query.close();
    query.setSql(sql);
    query.open();
    m_names.reserve(m_names.size() + query.rowCount());
    m_keys.reserve(m_keys.size() + query.rowCount());
    for (query.first(); !query.eof(); query.next())
        add(trimmedText(query.text(nameColumn)), query.integer(QStringLiteral("mid")),
            query.text(nameColumn));
    query.close();
}

qint64 LookupTable::keyOf(const QString& name) const {
    qint64 key = 1;
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name)
            key = m_keys[i];
    }
    return key;
}

std::optional<QString> LookupTable::storedName(qint64 key) const {
    std::optional<QString> name;
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key)
            name = m_stored[i];
    }
    return name;
}
