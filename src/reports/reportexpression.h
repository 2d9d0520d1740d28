#pragma once

#include <QString>

// What an expression needs from the report being prepared.
class ExpressionScope {
public:
    virtual ~ExpressionScope() = default;
    virtual int pageNumber() const = 0;
    // A bare name: a report variable, else the program's value callback.
    virtual QString nameValue(const QString& name) const = 0;
    // dataset."column" of the current row of the row source.
    virtual QString fieldValue(const QString& dataset, const QString& column) const = 0;
};

// One expression, the part of a text between [ and ], parsed once. Blanks outside
// quotes are ignored. The forms are:
//   'text'            a string literal; a doubled single quote stands for one
//   12 or 12.5        a number, taken as its text
//   PAGE#             the current page number (any letter case)
//   name              a report variable or a value of the program's callback
//   dataset."column"  a column of the current row of the row source
//   (nothing)         the empty text
class ReportExpression {
public:
    enum class Kind { Empty, Literal, PageNumber, Name, Field };

    // Throws ReportError when source is none of the forms above.
    static ReportExpression parse(const QString& source);

    Kind kind() const { return m_kind; }
    const QString& text() const { return m_text; } // literal text, name or column
    const QString& dataset() const { return m_dataset; }

    QString evaluate(const ExpressionScope& scope) const;

private:
    Kind m_kind = Kind::Empty;
    QString m_text;
    QString m_dataset;
};
