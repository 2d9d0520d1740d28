#include "datetext.h"

#include <QCalendarWidget>
#include <QDateEdit>

namespace {

// Delphi-style Copy with 1-based positions: beyond the end yields empty text.
QString copyAt(const QString& text, int position, int count) {
    if (position < 1 || position > text.size())
        return {};
    return text.mid(position - 1, count);
}

} // namespace

void NormalizeDateText(QString& text) {
    const QString& s = text;
    QString result = copyAt(s, 1, 4) + QLatin1Char('-');
    const QString m1 = copyAt(s, 6, 1);
    const QString c7 = copyAt(s, 7, 1);
    int dayAt = 0;
    if (c7 == QLatin1String("-") || c7 == QLatin1String("/")) {
        result += QLatin1Char('0') + m1 + QLatin1Char('-');
        dayAt = 8;
    } else {
        result += m1 + c7 + QLatin1Char('-');
        dayAt = 9;
    }
    // The length counts bytes of the platform's multibyte text.
    const int length = int(s.toLocal8Bit().size());
    if (length >= dayAt + 1)
        result += copyAt(s, dayAt, 2);
    else
        result += QLatin1Char('0') + copyAt(s, dayAt, 1);
    text = result;
}

QString storedDateText(const QDate& date) {
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    NormalizeDateText(text);
    return text;
}

void setUpDatePicker(QDateEdit* picker) {
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    // Chinese desktops start the week on Monday; Qt's Chinese locale data says Sunday.
    picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
}
