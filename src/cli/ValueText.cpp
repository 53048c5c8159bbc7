#include "cli/ValueText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
#include <string>

namespace kestrel::cli {

std::optional<bool> ValueText::parseBool(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true" || lower == "yes" || lower == "1") return true;
    if (lower == "false" || lower == "no" || lower == "0") return false;
    return std::nullopt;
}

std::optional<std::int32_t> ValueText::parseInt32(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::chrono::system_clock::time_point> ValueText::parseLocalDateTime(
    std::string_view text) {
    // Fixed places: 2026-12-31T23:59 or 2026-12-31T23:59:00.
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != kShape.size() && text.size() != kShape.size() - 3) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return std::nullopt;
    }
    auto number = [text](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    std::tm wanted{};
    wanted.tm_year = number(0, 4) - 1900;
    wanted.tm_mon = number(5, 2) - 1;
    wanted.tm_mday = number(8, 2);
    wanted.tm_hour = number(11, 2);
    wanted.tm_min = number(14, 2);
    wanted.tm_sec = text.size() == kShape.size() ? number(17, 2) : 0;
    wanted.tm_isdst = -1;  // whichever the zone has then
    std::tm made = wanted;
    const std::time_t t = std::mktime(&made);
    // mktime moves what does not exist (a 30th of February, an hour a clock
    // change skips) to a time that does: that is not the time asked for.
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;  // no such time (or 1969's last second)
    if (made.tm_year != wanted.tm_year || made.tm_mon != wanted.tm_mon ||
        made.tm_mday != wanted.tm_mday || made.tm_hour != wanted.tm_hour ||
        made.tm_min != wanted.tm_min || made.tm_sec != wanted.tm_sec)
        return std::nullopt;
    return std::chrono::system_clock::from_time_t(t);
}

}  // namespace kestrel::cli
