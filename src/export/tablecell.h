#pragma once

#include <QDate>
#include <QString>

// One cell of an exported table, typed so that each writer can give a number, a
// date and a text the form its format has for them.
struct TableCell {
    enum Kind { Empty, Text, Number, Date };

    Kind kind = Empty;
    QString text;      // Text: the text; Date: YYYY-MM-DD
    double number = 0; // Number

    static TableCell ofText(const QString& text);
    static TableCell ofNumber(double number);
    // A number in its list form ("12.5", "" for none); a cell that holds no number
    // stays text, so nothing shown is lost.
    static TableCell fromNumberText(const QString& text);
    // A stored date (YYYY-MM-DD); any other text stays text.
    static TableCell fromDateText(const QString& text);

    // The number in general format with "." and at most 15 significant digits, the
    // date as YYYY-MM-DD, the text as it is.
    QString plainText() const;
    QDate date() const { return QDate::fromString(text, Qt::ISODate); }
    // Text that a spreadsheet would run as a formula: it begins with "=", "+", "-",
    // "@", TAB or CR. Numbers and dates never count.
    bool looksLikeFormula() const;
};
