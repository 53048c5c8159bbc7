#include "core/platform/SystemUtils.h"

#include "core/platform/FixedSystemInfo.h"
#include "core/platform/LinuxSystemInfo.h"

#include <array>
#include <cstdlib>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace kestrel {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Reads a leading decimal number the way the platform's text-to-float does:
// leading white space and a sign are allowed, the rest of the text ignored.
float leadingFloat(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start])) ++start;
    bool negative = false;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) {
        negative = text[start] == '-';
        ++start;
    }
    // Only plain decimals: "inf", "nan" and hex floats are not versions.
    if (start >= text.size() || !(text[start] == '.' || (text[start] >= '0' && text[start] <= '9')))
        return 0.0f;
    float value = 0.0f;
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc()) return 0.0f;
    return negative ? -value : value;
}

}  // namespace

const SystemUtils& SystemUtils::current() {
    static const FixedSystemInfo platform(kPlatformVersion, LinuxSystemInfo().machineIdentifier());
    static const SystemUtils utils(platform);
    return utils;
}

int SystemUtils::versionNumberOf(std::string_view version) {
    const float hundredfold = leadingFloat(version) * 100.0f;
    if (!std::isfinite(hundredfold)) return 0;
    if (hundredfold >= static_cast<float>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (hundredfold <= static_cast<float>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(hundredfold);
}

std::optional<std::string> SystemUtils::platformString(std::string_view machine) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kDevices{{
        {"iPhone1,1", "iPhone 2G"},
        {"iPhone1,2", "iPhone 3G"},
        {"iPhone2,1", "iPhone 3GS"},
        {"iPhone3,1", "iPhone 4"},
        {"iPod1,1", "iPod Touch 1G"},
        {"iPod2,1", "iPod Touch 2G"},
        {"iPod3,1", "iPod Touch 3G"},
    }};
    for (const auto& [identifier, name] : kDevices)
        if (identifier == machine) return std::string(name);
    return std::nullopt;
}

}  // namespace kestrel
