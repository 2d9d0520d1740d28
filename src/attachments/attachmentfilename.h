#pragma once

#include <QString>

// A stored file name made fit for the file system: it came from another machine or
// an older program and may hold separators, control characters or more bytes than
// a name may have. The extension is kept, so the desktop still knows the type.
namespace AttachmentFileName {

QString safe(const QString& storedName);

} // namespace AttachmentFileName
