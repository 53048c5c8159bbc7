#include "adapters/qt/QtUrlOpener.h"

#include "core/platform/Log.h"

#include <QDesktopServices>
#include <QUrl>

namespace kestrel {

bool QtUrlOpener::openUrl(const std::string& url) {
    const QUrl target(QString::fromStdString(url), QUrl::StrictMode);
    if (!target.isValid()) {
        Log::warning("cannot open the malformed URL " + url);
        return false;
    }
    if (QDesktopServices::openUrl(target)) return true;
    Log::warning("no application on this desktop opens " + url);
    return false;
}

}  // namespace kestrel
