#include "rowvalues.h"

#include "numbertext.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace RowValuesText {

namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

const QString blobMark = QStringLiteral("base64:");

} // namespace

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumber(a) && isNumber(b)) {
        const bool integral = a.typeId() != QMetaType::Double && a.typeId() != QMetaType::Float &&
                              b.typeId() != QMetaType::Double && b.typeId() != QMetaType::Float;
        return integral ? a.toLongLong() == b.toLongLong() : a.toDouble() == b.toDouble();
    }
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    return a.toString() == b.toString();
}

bool sameRow(const RowValues& asRead, const RowValues& stored) {
    if (stored.isEmpty())
        return false;
    for (auto it = asRead.cbegin(); it != asRead.cend(); ++it) {
        const auto there = stored.constFind(it.key());
        if (there != stored.cend() && !sameValue(it.value(), there.value()))
            return false;
    }
    return true;
}

QByteArray toJson(const RowValues& row) {
    QJsonObject object;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        const QVariant& value = it.value();
        if (value.isNull())
            object.insert(it.key(), QJsonValue::Null);
        else if (isNumber(value))
            object.insert(it.key(), value.toDouble());
        else if (value.typeId() == QMetaType::QByteArray)
            object.insert(it.key(), blobMark + QString::fromLatin1(value.toByteArray().toBase64()));
        else
            object.insert(it.key(), value.toString());
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

RowValues fromJson(const QByteArray& json) {
    RowValues row;
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        if (value.isNull())
            row.insert(it.key(), QVariant());
        else if (value.isDouble())
            row.insert(it.key(), value.toDouble());
        else if (value.toString().startsWith(blobMark))
            row.insert(it.key(), QByteArray::fromBase64(value.toString().mid(blobMark.size()).toLatin1()));
        else
            row.insert(it.key(), value.toString());
    }
    return row;
}

QString shown(const QVariant& value) {
    if (value.isNull())
        return {};
    if (isNumber(value))
        return NumberText::format(value.toDouble());
    if (value.typeId() == QMetaType::QByteArray)
        return QStringLiteral("（%1 字节）").arg(value.toByteArray().size());
    return value.toString();
}

} // namespace RowValuesText
