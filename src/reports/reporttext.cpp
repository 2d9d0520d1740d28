#include "reporttext.h"

namespace {

// The index of the ] that closes the expression opened at open, or -1.
qsizetype closingBracket(const QString& text, qsizetype open) {
    QChar quote;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(']')) {
            return i;
        }
    }
    return -1;
}

} // namespace

ReportText ReportText::compile(const QString& text) {
    ReportText result;
    QString literal;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype close = text[i] == QLatin1Char('[') ? closingBracket(text, i) : -1;
        if (close < 0) {
            literal += text[i++];
            continue;
        }
        if (!literal.isEmpty())
            result.m_parts.append({false, std::exchange(literal, {}), {}});
        result.m_parts.append({true, {}, ReportExpression::parse(text.mid(i + 1, close - i - 1))});
        i = close + 1;
    }
    if (!literal.isEmpty())
        result.m_parts.append({false, literal, {}});
    return result;
}

QString ReportText::evaluate(const ExpressionScope& scope) const {
    if (m_parts.size() == 1)
        return m_parts.front().isExpression ? m_parts.front().expression.evaluate(scope)
                                            : m_parts.front().literal;
    QString result;
    for (const Part& part : m_parts)
        result += part.isExpression ? part.expression.evaluate(scope) : part.literal;
    return result;
}
