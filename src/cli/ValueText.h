#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel::cli {

// Command-line values: booleans as true/false/yes/no/1/0 (any case), integers
// as whole 32-bit decimal numbers. Anything else is none.
class ValueText {
public:
    static std::optional<bool> parseBool(std::string_view text);
    static std::optional<std::int32_t> parseInt32(std::string_view text);
};

}  // namespace kestrel::cli
