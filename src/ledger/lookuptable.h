#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class Query;

// A lookup list (projects or material categories) as two parallel lists of names
// and keys, in MID order.
class LookupTable {
public:
    void clear();
    void add(const QString& name, qint64 key, const QString& stored = {});

    // Appends every row of the query's result: the name column trimmed, MID as key.
    // Throws DbError.
    void load(Query& query, const QString& sql, const QString& nameColumn);

    int size() const { return int(m_names.size()); }
    const QStringList& names() const { return m_names; }
    const QString& name(int index) const { return m_names[index]; }
    qint64 key(int index) const { return m_keys[index]; }

    // The key for a chosen name: the key of the last entry whose name equals it
    // exactly (letter case included), so with two equal names the later one in MID
    // order wins; 1 when no name equals it.
    qint64 keyOf(const QString& name) const;
    // The name of key as the ledger holds it (untrimmed); none when the list lacks it.
    std::optional<QString> storedName(qint64 key) const;

private:
    QStringList m_names;
    QStringList m_stored;
    QVector<qint64> m_keys;
};
