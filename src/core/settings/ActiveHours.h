#pragma once

#include "core/platform/RunLoop.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class Camera1TimerData;

// The time of day a timer series takes its pictures in: always, or from one
// local time of day up to another (minutes after midnight, to the minute:
// 07:00 to 19:00 takes a picture due at 18:59:59, not one due at 19:00).
// A span whose end comes before its start runs across midnight (20:00 to
// 06:00); one whose ends are equal is the whole day.
//
// The time of day is the wall clock's in the C library's local time zone
// (TZ), read afresh for every moment, so that the span follows the clock on
// the wall through a change to or from daylight-saving time: 07:00 is 07:00
// on the day the clocks go forward too, neither an hour early nor a day late.
class ActiveHours {
public:
    static constexpr int kMinutesPerDay = 24 * 60;
    // How far ahead firstInside() looks before it gives up.
    static constexpr int kSearchDays = 8;

    // Always.
    ActiveHours() = default;
    // From `from` up to `to`, minutes after midnight (taken modulo a day).
    ActiveHours(int from, int to);
    // The timer settings' span; always when it is off, or when a stored end
    // is not a time of day (a hand-edited store: better every picture than none).
    static ActiveHours of(const Camera1TimerData& timer);
    // Whether `minutes` is a time of day, 0 (00:00) to 1439 (23:59).
    static bool isTimeOfDay(std::int64_t minutes) { return minutes >= 0 && minutes < kMinutesPerDay; }

    bool always() const { return always_; }
    int from() const { return from_; }
    int to() const { return to_; }
    // Whether a local time of day, in minutes after midnight, lies inside.
    bool containsMinute(int minuteOfDay) const;
    // Whether a moment's local time of day lies inside.
    bool contains(std::chrono::system_clock::time_point when) const;

    // The first of the moments first, first + step, first + 2·step, ... on
    // `loop`'s clock whose wall-clock time lies inside, as its number (0 for
    // `first` itself); none when none does within kSearchDays. Quick for any
    // step: it leaps over the hours outside, and goes minute by minute only
    // in the last hours before the span begins, where a clock change could
    // move its start.
    std::optional<std::int64_t> firstInside(const RunLoop& loop, RunLoop::Duration first,
                                            RunLoop::Duration step) const;
    // The first moment from `after` on that lies inside: `after` itself, or
    // the start of the local minute the span begins with (to the µs).
    std::optional<RunLoop::Duration> nextStart(const RunLoop& loop, RunLoop::Duration after) const;

    // "Always", or "07:00–19:00".
    std::string text() const;
    // "07:05" for 425 minutes; taken modulo a day.
    static std::string clockText(int minutes);
    // "7:05", "07:05" or "23:59" as minutes after midnight; none for
    // anything else (no seconds, no "24:00").
    static std::optional<int> parseClock(std::string_view text);
    // A moment as "2026-06-16 07:00:10", local time.
    static std::string localText(std::chrono::system_clock::time_point when);

private:
    bool always_ = true;
    int from_ = 0;
    int to_ = 0;
};

}  // namespace kestrel
