#pragma once

#include <QUrl>
#include <functional>

// The desktop shell's "open" of a web address. Tests install an opener of their own,
// so no test starts a browser.
namespace UrlOpener {

// Asks the desktop to open the address; what the desktop answers is not looked at.
void open(const QUrl& url);

// Passing an empty function restores the desktop's opener.
using Opener = std::function<void(const QUrl&)>;
void setOpener(Opener opener);

} // namespace UrlOpener
