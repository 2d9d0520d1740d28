#include "datepicker.h"

#include <QDateEdit>

void setUpDatePicker(QDateEdit* picker) {
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
}
