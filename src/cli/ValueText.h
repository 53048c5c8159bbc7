#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel::cli {

// Command-line values: booleans as true/false/yes/no/1/0 (any case), integers
// as whole 32-bit decimal numbers, local dates and times as ISO 8601's
// YYYY-MM-DDTHH:MM[:SS]. Anything else is none.
class ValueText {
public:
    static std::optional<bool> parseBool(std::string_view text);
    static std::optional<std::int32_t> parseInt32(std::string_view text);
    // A date and time on the local clock (the C library's time zone), which
    // must exist there: no February 30th, no time a clock change skips.
    static std::optional<std::chrono::system_clock::time_point> parseLocalDateTime(
        std::string_view text);
};

}  // namespace kestrel::cli
