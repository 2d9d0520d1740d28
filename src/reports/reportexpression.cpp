#include "reportexpression.h"

#include "reporterror.h"

namespace {

bool isNameChar(QChar c) {
    return !c.isSpace() && c != QLatin1Char('\'') && c != QLatin1Char('"') && c != QLatin1Char('.') &&
           c != QLatin1Char('[') && c != QLatin1Char(']');
}

bool isNumber(const QString& s) {
    qsizetype i = 0, digits = 0, points = 0;
    for (; i < s.size(); ++i) {
        if (s[i].isDigit() && s[i].unicode() < 128)
            ++digits;
        else if (s[i] == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1 && s.front() != QLatin1Char('.') && s.back() != QLatin1Char('.');
}

// The source without blanks outside quotes, so that "[ PAGE#]" reads as "[PAGE#]".
QString withoutBlanks(const QString& source) {
    QString result;
    result.reserve(source.size());
    QChar quote;
    for (QChar c : source) {
        if (!quote.isNull()) {
            result += c;
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            result += c;
        } else if (!c.isSpace()) {
            result += c;
        }
    }
    return result;
}

[[noreturn]] void refuse(const QString& source) {
    throw ReportError(QStringLiteral("报表表达式有误：[%1]").arg(source));
}

} // namespace

ReportExpression ReportExpression::parse(const QString& source) {
    const QString s = withoutBlanks(source);
    ReportExpression e;
    if (s.isEmpty())
        return e;

    if (s.front() == QLatin1Char('\'')) {
        // A literal runs to the first single quote that is not doubled, and must end there.
        QString text;
        qsizetype i = 1;
        for (; i < s.size(); ++i) {
            if (s[i] == QLatin1Char('\'')) {
                if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\'')) {
                    text += QLatin1Char('\'');
                    ++i;
                    continue;
                }
                break;
            }
            text += s[i];
        }
        if (i != s.size() - 1)
            refuse(source);
        e.m_kind = Kind::Literal;
        e.m_text = text;
        return e;
    }

    if (isNumber(s)) {
        e.m_kind = Kind::Literal;
        e.m_text = s;
        return e;
    }

    qsizetype nameEnd = 0;
    while (nameEnd < s.size() && isNameChar(s[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0)
        refuse(source);
    const QString name = s.left(nameEnd);

    if (nameEnd == s.size()) {
        if (name.compare(QLatin1String("PAGE#"), Qt::CaseInsensitive) == 0) {
            e.m_kind = Kind::PageNumber;
        } else {
            e.m_kind = Kind::Name;
            e.m_text = name;
        }
        return e;
    }

    // dataset."column"
    if (s.size() < nameEnd + 3 || s[nameEnd] != QLatin1Char('.') || s[nameEnd + 1] != QLatin1Char('"') ||
        s.back() != QLatin1Char('"'))
        refuse(source);
    const QString column = s.mid(nameEnd + 2, s.size() - nameEnd - 3);
    if (column.isEmpty() || column.contains(QLatin1Char('"')))
        refuse(source);
    e.m_kind = Kind::Field;
    e.m_dataset = name;
    e.m_text = column;
    return e;
}

QString ReportExpression::evaluate(const ExpressionScope& scope) const {
    switch (m_kind) {
    case Kind::Empty:
        return {};
    case Kind::Literal:
        return m_text;
    case Kind::PageNumber:
        return QString::number(scope.pageNumber());
    case Kind::Name:
        return scope.nameValue(m_text);
    case Kind::Field:
        return scope.fieldValue(m_dataset, m_text);
    }
    return {};
}
