#include "ledgerrow.h"

#include "numbertext.h"

#include <cmath>

const QString& LedgerRow::paidMarker(bool paidInFull) {
    static const QString yes = QStringLiteral("Y");
    static const QString no = QStringLiteral("N");
    return paidInFull ? yes : no;
}

QString LedgerRow::cellText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        // Whole numbers are the common case and need no general formatting.
        if (std::abs(number) < 1e15 && number == std::trunc(number))
            return QString::number(qint64(number));
        return NumberText::format(number);
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}
