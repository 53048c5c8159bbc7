#pragma once

#include <string>

namespace kestrel {

// Hands a URL (mailto:, https:) to the desktop's handler for it.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // NO when nothing could take it.
    virtual bool openUrl(const std::string& url) = 0;
};

}  // namespace kestrel
