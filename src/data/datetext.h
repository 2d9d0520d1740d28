#pragma once

#include <QDate>
#include <QString>

class QDateEdit;

// Rewrites a year-first short date text (2008-8-1, 2008/12/25 …) in place into the
// stored form YYYY-MM-DD by character positions. Never fails: a text that does not
// begin with a four-digit year gives a meaningless result, used as it is.
void NormalizeDateText(QString& text);

// The stored form of a date: the picker's text (always yyyy-MM-dd here, whatever
// the desktop's short date pattern) passed through NormalizeDateText.
QString storedDateText(const QDate& date);

// Gives a date picker the display format the stored form needs, and a calendar
// whose week starts on Monday.
void setUpDatePicker(QDateEdit* picker);
