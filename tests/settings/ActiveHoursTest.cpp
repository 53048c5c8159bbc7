#include "core/platform/ManualRunLoop.h"
#include "core/settings/ActiveHours.h"
#include "core/settings/Camera1TimerData.h"
#include "support/LocalTime.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

TEST(ActiveHoursTest, WhichMinutesOfTheDayLieInside) {
    struct Case {
        const char* span;
        ActiveHours hours;
        std::vector<int> inside, outside;
    };
    const std::vector<Case> cases{
        {"always", ActiveHours(), {0, 420, 1439}, {}},
        {"07:00-19:00", ActiveHours(420, 1140), {420, 421, 1139}, {0, 419, 1140, 1439}},
        {"20:00-06:00 across midnight", ActiveHours(1200, 360), {1200, 1439, 0, 359},
         {360, 361, 1199, 720}},
        {"equal ends: the whole day", ActiveHours(600, 600), {0, 599, 600, 1439}, {}},
        {"one minute", ActiveHours(0, 1), {0}, {1, 1439}},
        {"ends given past a day wrap", ActiveHours(1440 + 60, -60), {60, 1379}, {1380, 0, 59}},
    };
    for (const Case& c : cases) {
        for (const int minute : c.inside) EXPECT_TRUE(c.hours.containsMinute(minute)) << c.span << " " << minute;
        for (const int minute : c.outside) EXPECT_FALSE(c.hours.containsMinute(minute)) << c.span << " " << minute;
    }
}

TEST(ActiveHoursTest, TheTimerSettingsGiveTheSpanOnlyWhenOnAndValid) {
    Camera1TimerData timer;
    EXPECT_TRUE(ActiveHours::of(timer).always());  // off by default
    EXPECT_EQ(timer.activeFrom(), 7 * 60);
    EXPECT_EQ(timer.activeTo(), 19 * 60);
    timer.setActiveHours(true);
    timer.setActiveFrom(22 * 60);
    timer.setActiveTo(2 * 60);
    const ActiveHours night = ActiveHours::of(timer);
    EXPECT_FALSE(night.always());
    EXPECT_EQ(night.from(), 1320);
    EXPECT_EQ(night.to(), 120);
    EXPECT_EQ(night.text(), "22:00\u201302:00");
    EXPECT_EQ(ActiveHours().text(), "Always");
    // A stored end that is no time of day (a hand-edited store): every
    // picture rather than none.
    for (const int bad : {-1, 1440, 100000}) {
        timer.setActiveTo(bad);
        EXPECT_TRUE(ActiveHours::of(timer).always()) << bad;
    }
}

TEST(ActiveHoursTest, ClockTextsReadAndWrite) {
    const std::vector<std::pair<std::string, std::optional<int>>> texts{
        {"00:00", 0},         {"7:05", 425},         {"07:05", 425},       {"23:59", 1439},
        {"24:00", std::nullopt}, {"12:60", std::nullopt}, {"1200", std::nullopt},
        {"", std::nullopt},   {":30", std::nullopt},  {"7:5", std::nullopt}, {"07:05:00", std::nullopt},
        {"-1:00", std::nullopt}, {"07:0x", std::nullopt}, {"123:00", std::nullopt},
    };
    for (const auto& [text, minute] : texts) EXPECT_EQ(ActiveHours::parseClock(text), minute) << text;
    EXPECT_EQ(ActiveHours::clockText(0), "00:00");
    EXPECT_EQ(ActiveHours::clockText(1439), "23:59");
    EXPECT_EQ(ActiveHours::clockText(1440 + 425), "07:05");
    EXPECT_EQ(ActiveHours::clockText(-1), "23:59");
}

// The searches on a virtual day (mid-June: no clock change in the test's zone).
class ActiveHoursSearchTest : public ::testing::Test {
protected:
    ActiveHoursSearchTest() { loop.setWallStart(test::localTime(2026, 6, 15, 21, 50)); }
    ManualRunLoop loop;
};

TEST_F(ActiveHoursSearchTest, TheFirstMomentOfARowInsideTheSpan) {
    const ActiveHours night(22 * 60, 2 * 60);
    // Every ten minutes from 21:50 (+10.2 s): 22:00:10.2 is the first inside.
    const RunLoop::Duration first = RunLoop::seconds(10.2);
    EXPECT_EQ(night.firstInside(loop, first, minutes(10)), 1);
    // Inside already: the first itself.
    EXPECT_EQ(night.firstInside(loop, first + minutes(30), minutes(10)), 0);
    // From 02:00:10.2 the next night's 22:00:10.2, twenty hours on.
    EXPECT_EQ(night.firstInside(loop, first + hours(4) + minutes(10), minutes(10)), 20 * 6);
    // A row that steps past the span's start lands on its first moment after it.
    EXPECT_EQ(night.firstInside(loop, first, minutes(7)), 2);  // 22:04:10.2
    // Any step, however small, is quick and exact: the span begins at 22:00:00.
    const auto index = night.firstInside(loop, RunLoop::Duration(0), RunLoop::Duration(1));
    ASSERT_TRUE(index);
    EXPECT_EQ(RunLoop::Duration(*index), minutes(10));
    // Always, and a whole day, take the first.
    EXPECT_EQ(ActiveHours().firstInside(loop, first, seconds(1)), 0);
    EXPECT_EQ(ActiveHours(300, 300).firstInside(loop, first, seconds(1)), 0);
}

TEST_F(ActiveHoursSearchTest, TheNextStartIsTheSpansFirstMinuteToTheMicrosecond) {
    const ActiveHours morning(7 * 60, 19 * 60);
    // From 21:50: tomorrow's 07:00:00, 9 h 10 min on.
    const auto start = morning.nextStart(loop, RunLoop::seconds(0.3));
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, hours(9) + minutes(10));
    EXPECT_EQ(test::clockOf(loop.wallTime(*start)), "07:00:00");
    EXPECT_FALSE(morning.contains(loop.wallTime(*start - RunLoop::Duration(1))));
    EXPECT_TRUE(morning.contains(loop.wallTime(*start)));
    // Inside: now.
    EXPECT_EQ(morning.nextStart(loop, hours(10)), hours(10));
    // A day that begins off a whole second still finds the minute's start.
    loop.setWallStart(test::localTime(2026, 6, 15, 6, 59) + std::chrono::milliseconds(250));
    const auto late = morning.nextStart(loop, RunLoop::Duration(0));
    ASSERT_TRUE(late);
    EXPECT_EQ(*late, seconds(60) - std::chrono::milliseconds(250));
}

}  // namespace
}  // namespace kestrel
