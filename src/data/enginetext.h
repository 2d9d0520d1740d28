#pragma once

#include <QString>

struct sqlite3;

// What the engine's common failures mean, said in the program's language. The
// engine's own text follows in brackets, so that support still sees it.
namespace EngineText {

// code: the engine's result code (extended codes too), 0 or less when only the text
// is known; the text then decides.
QString explained(int code, const QString& engineText);

// The last failure of a connection, explained.
QString of(sqlite3* db);

} // namespace EngineText
