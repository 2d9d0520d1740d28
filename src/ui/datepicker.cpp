#include "datepicker.h"

#include <QCalendarWidget>
#include <QDateEdit>

void setUpDatePicker(QDateEdit* picker) {
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    // Chinese desktops start the week on Monday; Qt's Chinese locale data says Sunday.
    picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
}
