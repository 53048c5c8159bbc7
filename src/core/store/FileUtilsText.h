#pragma once

#include <string_view>

namespace kestrel {

// Exact, case-sensitive name matching for the DCIM conventions.
struct FileUtilsText {
    static bool endsWith(std::string_view text, std::string_view end) {
        return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
    }
    static bool startsWith(std::string_view text, std::string_view start) {
        return text.substr(0, start.size()) == start;
    }
};

}  // namespace kestrel
