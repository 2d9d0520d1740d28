#pragma once

#include <QString>

// Passwords of shared ledgers in the desktop's keyring (Secret Service, KWallet),
// never in a file of the program's own. Without a keyring every call quietly does
// nothing: the user is then asked each time.
namespace Keyring {

// The password kept under name; empty when there is none or no keyring answers.
QString read(const QString& name);
// Keeps password under name; false when no keyring took it.
bool write(const QString& name, const QString& password);

} // namespace Keyring
