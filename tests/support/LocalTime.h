#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace kestrel::test {

// A date and time on the test process's local clock (the C library's zone).
inline std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour,
                                                       int minute, int second = 0) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// "HH:MM:SS" of a moment on the local clock.
inline std::string clockOf(std::chrono::system_clock::time_point when) {
    const std::time_t t =
        std::chrono::floor<std::chrono::seconds>(when).time_since_epoch().count();
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

}  // namespace kestrel::test
