#pragma once

class QDateEdit;

// Gives a date picker the display format the stored form needs (see storedDateText),
// and a calendar.
void setUpDatePicker(QDateEdit* picker);
