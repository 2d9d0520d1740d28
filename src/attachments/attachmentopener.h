#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

// 打开 of an attachment: its content is written to a temporary file under its own
// name, and the desktop's viewer for that type is asked to open it. The temporary
// files stay until the program ends, since the viewer reads them after the call.
//
// Tests install an opener of their own, so no test starts a viewer.
namespace AttachmentOpener {

// Tells why the file could not be opened, when the desktop says so only later.
using Report = std::function<void(const QString& failure)>;

// The temporary file's path, or empty when it could not be written or no viewer
// took it (failure says why). The files lie in a folder only this user can enter.
// A desktop that reports its failure only after the call reports it to later.
QString open(qint64 key, const QString& storedName, const QByteArray& data, QString* failure,
             const Report& later = {});

// Passing an empty function restores the desktop's opener. An opener returns false
// when no program could be started for the file.
using Opener = std::function<bool(const QUrl&)>;
void setOpener(Opener opener);

} // namespace AttachmentOpener
