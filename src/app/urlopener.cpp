#include "urlopener.h"

#include <QDesktopServices>

namespace UrlOpener {

namespace {
Opener g_opener;
} // namespace

void open(const QUrl& url) {
    if (g_opener)
        g_opener(url);
    else
        QDesktopServices::openUrl(url);
}

void setOpener(Opener opener) {
    g_opener = std::move(opener);
}

} // namespace UrlOpener
