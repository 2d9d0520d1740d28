#pragma once

#include <QString>

// Long texts (a diary entry, a ledger entry's notes) are stored with CR LF line
// breaks and shown with the desktop's own, so text written here and text from an
// older file look the same.
namespace StoredText {

QString toStored(const QString& shown);
QString toShown(const QString& stored);

} // namespace StoredText
