#pragma once

#include <QString>

// The program finds its ledger in the working directory. `jiazhuang FOLDER` makes
// FOLDER the working directory first, so a desktop launcher can keep the ledger in
// a folder of its own.
namespace WorkingFolder {

// Changes into the folder. Returns an empty string on success, otherwise the
// message that names the folder and the system's reason; the working directory is
// then unchanged and nothing has been created.
QString enter(const QString& folder);

} // namespace WorkingFolder
