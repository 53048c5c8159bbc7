#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

// Raised when an EXIF entry is asked for under a tag name the library does
// not know; the one exception of the EXIF layer, caught by its callers.
class InvalidEntryException : public std::runtime_error {
public:
    static constexpr const char* kName = "InvalidEntryException";
    explicit InvalidEntryException(const std::string& reason) : std::runtime_error(reason) {}
    const char* name() const { return kName; }
};

}  // namespace kestrel
