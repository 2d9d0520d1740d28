#pragma once

#include <QString>

// The diary's text is stored with CR LF line breaks and shown with the desktop's
// own, so an entry written here and one from an older file look the same.
namespace DiaryText {

QString toStored(const QString& shown);
QString toShown(const QString& stored);

} // namespace DiaryText
