#pragma once

#include <chrono>

namespace kestrel {

// A position fix: degrees north and east (negative south and west), and when
// it was taken.
struct GeoPosition {
    double latitude = 0;
    double longitude = 0;
    std::chrono::system_clock::time_point timestamp{};
};

}  // namespace kestrel
