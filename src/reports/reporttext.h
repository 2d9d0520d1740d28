#pragma once

#include "reportexpression.h"

#include <QList>
#include <QString>

// A text object's text, compiled once: literal runs and the [expression] parts
// between them. A [ without its closing ] is literal text; a ] inside quotes does
// not close an expression.
class ReportText {
public:
    // Throws ReportError when an expression does not parse.
    static ReportText compile(const QString& text);

    bool isConstant() const {
        return m_parts.size() <= 1 && (m_parts.isEmpty() || !m_parts.front().isExpression);
    }
    QString evaluate(const ExpressionScope& scope) const;

private:
    struct Part {
        bool isExpression;
        QString literal;
        ReportExpression expression;
    };
    QList<Part> m_parts;
};
