#include "core/settings/ActiveHours.h"

#include "core/settings/Camera1TimerData.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace kestrel {
namespace {

using std::chrono::system_clock;

// The most a change of the clock (daylight-saving time, a zone's new offset)
// moves the local time of day forward at once; an hour almost everywhere.
constexpr std::chrono::seconds kLargestClockChange{std::chrono::hours(2)};
constexpr int kSecondsPerDay = 24 * 60 * 60;

std::tm localTime(system_clock::time_point when) {
    // Whole seconds, rounded down also before 1970.
    const std::time_t t =
        std::chrono::floor<std::chrono::seconds>(when).time_since_epoch().count();
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

int wrapMinutes(int minutes) {
    const int wrapped = minutes % ActiveHours::kMinutesPerDay;
    return wrapped < 0 ? wrapped + ActiveHours::kMinutesPerDay : wrapped;
}

}  // namespace

ActiveHours::ActiveHours(int from, int to)
    : always_(false), from_(wrapMinutes(from)), to_(wrapMinutes(to)) {}

ActiveHours ActiveHours::of(const Camera1TimerData& timer) {
    if (!timer.activeHours() || !isTimeOfDay(timer.activeFrom()) || !isTimeOfDay(timer.activeTo()))
        return ActiveHours();
    return ActiveHours(timer.activeFrom(), timer.activeTo());
}

bool ActiveHours::containsMinute(int minuteOfDay) const {
    if (always_ || from_ == to_) return true;
    if (from_ < to_) return minuteOfDay >= from_ && minuteOfDay < to_;
    return minuteOfDay >= from_ || minuteOfDay < to_;  // across midnight
}

bool ActiveHours::contains(system_clock::time_point when) const {
    if (always_ || from_ == to_) return true;
    const std::tm local = localTime(when);
    return containsMinute(local.tm_hour * 60 + local.tm_min);
}

std::optional<std::int64_t> ActiveHours::firstInside(const RunLoop& loop, RunLoop::Duration first,
                                                     RunLoop::Duration step) const {
    if (step < RunLoop::Duration(1)) step = RunLoop::Duration(1);
    const RunLoop::Duration last = first + std::chrono::hours(24 * kSearchDays);
    std::int64_t index = 0;
    for (RunLoop::Duration moment = first; moment <= last; moment = first + step * index) {
        const system_clock::time_point when = loop.wallTime(moment);
        if (contains(when)) return index;
        // Outside. The local time of day reaches the start no sooner than the
        // clock face says, less the most a clock change on the way could skip;
        // and it stays outside at least to the end of this wall-clock minute
        // (every zone in use is a whole number of minutes off UTC).
        const std::tm local = localTime(when);
        const int second = (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
        int untilStart = (from_ * 60 - second) % kSecondsPerDay;
        if (untilStart < 0) untilStart += kSecondsPerDay;
        const auto sinceMinute = when.time_since_epoch() % std::chrono::minutes(1);
        const RunLoop::Duration surely =
            std::max(std::chrono::duration_cast<RunLoop::Duration>(
                         std::chrono::seconds(untilStart) - kLargestClockChange),
                     std::chrono::ceil<RunLoop::Duration>(std::chrono::minutes(1) - sinceMinute));
        // The first moment of the row at or after that: none before it lies inside.
        index += std::max<std::int64_t>(1, (surely + step - RunLoop::Duration(1)) / step);
    }
    return std::nullopt;
}

std::optional<RunLoop::Duration> ActiveHours::nextStart(const RunLoop& loop,
                                                        RunLoop::Duration after) const {
    const auto index = firstInside(loop, after, RunLoop::Duration(1));
    if (!index) return std::nullopt;
    return after + RunLoop::Duration(*index);
}

std::string ActiveHours::text() const {
    if (always_) return "Always";
    return clockText(from_) + "\u2013" + clockText(to_);
}

std::string ActiveHours::clockText(int minutes) {
    const int wrapped = wrapMinutes(minutes);
    char text[24];  // room for any int, as the compiler cannot see the wrap
    std::snprintf(text, sizeof text, "%02d:%02d", wrapped / 60, wrapped % 60);
    return text;
}

std::optional<int> ActiveHours::parseClock(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const auto hours = number(text.substr(0, colon));
    const auto minutes = number(text.substr(colon + 1));
    if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
    return *hours * 60 + *minutes;
}

std::string ActiveHours::localText(system_clock::time_point when) {
    const std::tm local = localTime(when);
    char text[64];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) return {};
    return text;
}

}  // namespace kestrel
