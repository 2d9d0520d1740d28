#include "sqldialect.h"

#include <QStringList>
#include <QVector>

#include <algorithm>
#include <iterator>

namespace SqlDialect {

namespace {

struct Token {
    enum Kind { Word, Space, Literal, Parameter, Other } kind;
    QString text;
    bool is(const char* word) const { return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
};

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.unicode() > 127;
}

// Splits a text into words, blanks (comments included), quoted texts, parameters
// and single other characters. Quoted names stay one token of their own (Other)
// and are never rewritten; a bracketed name becomes the bare word.
QVector<Token> tokens(const QString& sql) {
    QVector<Token> out;
    int parameter = 0;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto quoted = [&](QChar quote) { // end of a quoted run starting at i, doubled quotes inside
        qsizetype j = i + 1;
        while (j < n) {
            if (sql[j] == quote) {
                if (j + 1 < n && sql[j + 1] == quote) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    };
    while (i < n) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        Token::Kind kind = Token::Other;
        QString text;
        if (c.isSpace()) {
            while (end < n && sql[end].isSpace())
                ++end;
            kind = Token::Space;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            end = sql.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? n : end;
            kind = Token::Space;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            end = sql.indexOf(QStringLiteral("*/"), i + 2);
            end = end < 0 ? n : end + 2;
            kind = Token::Space;
        } else if (c == QLatin1Char('\'')) {
            end = quoted(c);
            kind = Token::Literal;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            end = quoted(c);
        } else if (c == QLatin1Char('[')) {
            end = sql.indexOf(QLatin1Char(']'), i);
            end = end < 0 ? n : end + 1;
            kind = Token::Word;
            text = sql.mid(i + 1, end - i - 2);
        } else if (c == QLatin1Char('?')) {
            while (end < n && sql[end].isDigit())
                ++end;
            const int number = end > i + 1 ? sql.mid(i + 1, end - i - 1).toInt() : ++parameter;
            parameter = qMax(parameter, number);
            kind = Token::Parameter;
            text = QLatin1Char('$') + QString::number(number);
        } else if (isWordCharacter(c)) {
            while (end < n && isWordCharacter(sql[end]))
                ++end;
            kind = Token::Word;
        }
        out.append({kind, text.isNull() ? sql.mid(i, end - i) : text});
        i = end;
    }
    return out;
}

// The index of the first token at or after i that is not blank; size() when none.
qsizetype significant(const QVector<Token>& t, qsizetype i) {
    while (i < t.size() && t[i].kind == Token::Space)
        ++i;
    return i;
}

QString joined(const QVector<Token>& t) {
    QString out;
    for (const Token& token : t)
        out += token.text;
    return out;
}

} // namespace

// Words that may follow a subquery in FROM where an alias would stand.
bool endsFromItem(const Token& token) {
    static const char* const words[] = {"where", "order", "group", "union", "left",  "right",  "inner",
                                        "join",  "on",    "limit", "having", "except", "intersect", "cross",
                                        "full",  "natural", "window", "offset"};
    if (token.kind != Token::Word)
        return true;
    return std::any_of(std::begin(words), std::end(words), [&](const char* word) { return token.is(word); });
}

QString forServer(const QString& sqliteText) {
    QVector<Token> t = tokens(sqliteText);
    QVector<bool> subqueries; // per open parenthesis: a SELECT in FROM or JOIN
    int aliases = 0;
    qsizetype previous = -1; // the last token that is not blank
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].kind == Token::Space)
            continue;
        const qsizetype before = previous;
        previous = i;
        if (t[i].kind == Token::Other && t[i].text == QLatin1String("(")) {
            const qsizetype inside = significant(t, i + 1);
            subqueries.append(before >= 0 && (t[before].is("from") || t[before].is("join")) && inside < t.size() &&
                              t[inside].is("select"));
        } else if (t[i].kind == Token::Other && t[i].text == QLatin1String(")") && !subqueries.isEmpty()) {
            // The server (before version 16) wants a name for every subquery in FROM.
            const qsizetype after = significant(t, i + 1);
            if (subqueries.takeLast() && (after >= t.size() || endsFromItem(t[after])))
                t[i].text += QStringLiteral(" AS jz_subquery%1").arg(++aliases);
        } else if ((t[i].is("x")) && i + 1 < t.size() && t[i + 1].kind == Token::Literal) {
            // X'4142': SQLite's BLOB literal; the server would read a bit string.
            t[i].text = QStringLiteral("decode(");
            t[i + 1].text += QStringLiteral(", 'hex')");
            previous = ++i;
        } else if (t[i].is("like")) {
            t[i].text = QStringLiteral("ILIKE");
            const qsizetype pattern = significant(t, i + 1);
            if (pattern < t.size())
                t[pattern].text += QStringLiteral(" ESCAPE ''");
        } else if (t[i].is("collate")) {
            const qsizetype name = significant(t, i + 1);
            if (name >= t.size() || !t[name].is("pinyin"))
                continue;
            t[name].text = QStringLiteral("\"zh-x-icu\"");
            const qsizetype direction = significant(t, name + 1);
            if (direction < t.size() && t[direction].is("desc"))
                t[direction].text += QStringLiteral(" NULLS LAST");
            else if (direction < t.size() && t[direction].is("asc"))
                t[direction].text += QStringLiteral(" NULLS FIRST");
            else
                t[name].text += QStringLiteral(" NULLS FIRST");
        } else if (t[i].is("begin")) {
            const qsizetype mode = significant(t, i + 1);
            if (mode < t.size() && (t[mode].is("immediate") || t[mode].is("deferred")))
                t[mode].text.clear();
        }
    }
    return joined(t);
}

QString forEngine(Engine engine, const QString& sqliteText) {
    return engine == Engine::Server ? forServer(sqliteText) : sqliteText;
}

QString serverDefinition(const QString& sqliteDefinition) {
    QVector<Token> t = tokens(sqliteDefinition);
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].is("integer")) {
            // INTEGER PRIMARY KEY AUTOINCREMENT: the key
            const qsizetype primary = significant(t, i + 1);
            const qsizetype key = significant(t, primary + 1);
            const qsizetype increment = significant(t, key + 1);
            if (increment < t.size() && t[primary].is("primary") && t[key].is("key") &&
                t[increment].is("autoincrement")) {
                t[i].text = QStringLiteral("bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
                for (qsizetype j = i + 1; j <= increment; ++j)
                    t[j].text.clear();
            } else {
                t[i].text = QStringLiteral("bigint");
            }
        } else if (t[i].is("real")) {
            t[i].text = QStringLiteral("double precision");
        } else if (t[i].is("text")) {
            t[i].text = QStringLiteral("text COLLATE \"C\"");
        } else if (t[i].is("blob")) {
            t[i].text = QStringLiteral("bytea");
        }
    }
    return joined(t);
}

QString countTablesNamed(Engine engine, int names) {
    const QString marks = QStringList(qMax(names, 1), QStringLiteral("?")).join(QLatin1Char(','));
    return engine == Engine::Server
               ? QStringLiteral("select count(*) from pg_catalog.pg_tables "
                                "where schemaname=current_schema() and tablename in (%1)")
                     .arg(marks)
               : QStringLiteral("select count(*) from sqlite_master where type='table' and name in (%1)").arg(marks);
}

QString insertReturningKey(Engine engine, const QString& insert) {
    return engine == Engine::Server ? insert + QStringLiteral(" RETURNING MID") : insert;
}

QString blobLength(Engine engine, const QString& column) {
    return engine == Engine::Server
               ? QStringLiteral("coalesce(octet_length(%1), -1)").arg(column)
               : QStringLiteral("case when typeof(%1)='blob' then length(%1) else -1 end").arg(column);
}

} // namespace SqlDialect
