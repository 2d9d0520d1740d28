#pragma once

#include <QString>
#include <functional>

// Saves a file so that the chosen name holds either the whole new file or what it
// held before: the writer fills a temporary file beside the target, which is then
// renamed over it. A failed save leaves nothing under the chosen name.
namespace AtomicSave {

// write fills the file at the path it is given and returns why it could not, or
// an empty text; an exception it lets escape counts as a failure with its text.
// Returns the failure's message for the user, or an empty text.
using Writer = std::function<QString(const QString& temporaryPath)>;
QString save(const QString& target, const Writer& write);

} // namespace AtomicSave
