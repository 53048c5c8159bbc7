#pragma once

#include "core/platform/UrlOpener.h"

namespace kestrel {

// Hands URLs to the desktop (xdg-open and its kind) through Qt.
class QtUrlOpener final : public UrlOpener {
public:
    bool openUrl(const std::string& url) override;
};

}  // namespace kestrel
