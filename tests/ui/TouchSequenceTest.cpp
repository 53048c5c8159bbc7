#include "core/ui/TouchSequence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// What the window is told, one line each.
class Recorder final : public TouchSequence::Target {
public:
    void press(Point p, int taps) override {
        log.push_back("press " + at(p) + " x" + std::to_string(taps));
    }
    void move(Point p) override { log.push_back("move " + at(p)); }
    void release(Point p) override { log.push_back("release " + at(p)); }
    void cancel() override { log.push_back("cancel"); }
    void pinchBegan(double s) override { log.push_back("pinch began " + scale(s)); }
    void pinchChanged(double s) override { log.push_back("pinch " + scale(s)); }
    void pinchEnded(double s) override { log.push_back("pinch ended " + scale(s)); }
    void pinchCancelled(double s) override { log.push_back("pinch cancelled " + scale(s)); }

    static std::string at(Point p) {
        return std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y));
    }
    static std::string scale(double s) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", s);
        return text;
    }
    std::vector<std::string> log;
};

// A finger event of a script: down, move, up, or the system's cancellation.
struct Step {
    char what;  // 'd', 'm', 'u', 'c'
    int finger = 0;
    Point point{};
    double time = 0;
};

struct Script {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> told;
};

TEST(TouchSequenceTest, OneFingerIsTheMouseTwoPinchAndTheRestWaitsForEveryFingerUp) {
    const Script scripts[] = {
        {"a tap", {{'d', 1, {10, 10}}, {'u', 1, {10, 10}}}, {"press 10,10 x1", "release 10,10"}},
        {"a drag",
         {{'d', 1, {10, 10}}, {'m', 1, {50, 10}}, {'u', 1, {90, 10}}},
         {"press 10,10 x1", "move 50,10", "release 90,10"}},
        {"a second finger makes a pinch: the touch is no tap",
         {{'d', 1, {100, 100}},
          {'d', 2, {200, 100}},
          {'m', 2, {300, 100}},
          {'m', 1, {50, 100}},
          {'u', 2, {300, 100}},
          {'m', 1, {10, 100}},
          {'u', 1, {10, 100}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch 2.00", "pinch 2.50",
          "pinch ended 2.50"}},
        {"fingers together",
         {{'d', 1, {100, 100}},
          {'d', 2, {300, 100}},
          {'m', 1, {200, 100}},
          {'u', 1, {200, 100}},
          {'u', 2, {300, 100}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch 0.50", "pinch ended 0.50"}},
        {"fingers that land almost together count as the least span apart",
         {{'d', 1, {100, 100}},
          {'d', 2, {102, 100}},
          {'m', 2, {110, 100}},
          {'m', 2, {160, 100}},
          {'u', 2, {160, 100}},
          {'u', 1, {100, 100}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch 1.00", "pinch 2.00",
          "pinch ended 2.00"}},
        {"a third finger means nothing",
         {{'d', 1, {100, 100}},
          {'d', 2, {200, 100}},
          {'d', 3, {150, 300}},
          {'m', 3, {150, 400}},
          {'u', 3, {150, 400}},
          {'m', 2, {300, 100}},
          {'u', 1, {100, 100}},
          {'u', 2, {300, 100}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch 2.00", "pinch ended 2.00"}},
        {"a finger that lands after the pinch ended starts nothing until all are up",
         {{'d', 1, {100, 100}},
          {'d', 2, {200, 100}},
          {'u', 2, {200, 100}},
          {'d', 3, {50, 50}},
          {'u', 3, {50, 50}},
          {'u', 1, {100, 100}},
          {'d', 4, {70, 70}},
          {'u', 4, {70, 70}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch ended 1.00", "press 70,70 x1",
          "release 70,70"}},
        {"the system cancels a touch",
         {{'d', 1, {10, 10}}, {'m', 1, {20, 10}}, {'c'}, {'m', 1, {30, 10}}, {'u', 1, {30, 10}}},
         {"press 10,10 x1", "move 20,10", "cancel"}},
        {"the system cancels a pinch: it ends where it got to",
         {{'d', 1, {100, 100}},
          {'d', 2, {200, 100}},
          {'m', 2, {250, 100}},
          {'c'},
          {'u', 1, {100, 100}}},
         {"press 100,100 x1", "cancel", "pinch began 1.00", "pinch 1.50", "pinch cancelled 1.50"}},
        {"a finger told twice, and one never told of",
         {{'d', 1, {10, 10}},
          {'d', 1, {40, 40}},
          {'m', 7, {5, 5}},
          {'u', 7, {5, 5}},
          {'u', 1, {10, 10}}},
         {"press 10,10 x1", "release 10,10"}},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        Recorder window;
        TouchSequence touches(window);
        for (const Step& step : script.steps) {
            switch (step.what) {
                case 'd':
                    touches.fingerDown(step.finger, step.point, step.time);
                    break;
                case 'm':
                    touches.fingerMoved(step.finger, step.point);
                    break;
                case 'u':
                    touches.fingerUp(step.finger, step.point);
                    break;
                default:
                    touches.cancelled();
                    break;
            }
        }
        EXPECT_EQ(window.log, script.told);
        EXPECT_EQ(touches.fingersDown(), 0u);
        EXPECT_FALSE(touches.pinching());
    }
}

TEST(TouchSequenceTest, ASecondTapSoonAndNearCountsTwoAsTheMousesDoubleClick) {
    const TouchSequence::DoubleTap rule{0.5, 10};  // times a binary fraction holds exactly
    const struct {
        const char* name;
        double secondAt;
        Point secondPoint;
        int taps;
    } cases[] = {
        {"soon and near", 0.3, {105, 100}, 2},     {"at the interval", 0.5, {100, 100}, 2},
        {"just after it", 0.501, {100, 100}, 1},   {"at the distance", 0.1, {110, 100}, 2},
        {"just beyond it", 0.1, {110.5f, 100}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder window;
        TouchSequence touches(window, rule);
        touches.fingerDown(1, {100, 100}, 10.0);
        touches.fingerUp(1, {100, 100});
        touches.fingerDown(1, c.secondPoint, 10.0 + c.secondAt);
        touches.fingerUp(1, c.secondPoint);
        ASSERT_EQ(window.log.size(), 4u);
        EXPECT_EQ(window.log[2],
                  "press " + Recorder::at(c.secondPoint) + " x" + std::to_string(c.taps));
    }

    // A third tap is a first one again, as a third click is; a drag's press
    // counts as a tap's. Neither a cancelled touch nor a pinch is a first tap.
    Recorder window;
    TouchSequence touches(window, rule);
    const auto tap = [&](double at) {
        touches.fingerDown(1, {50, 50}, at);
        touches.fingerUp(1, {50, 50});
    };
    tap(0.0);
    tap(0.1);
    tap(0.2);
    touches.fingerDown(1, {50, 50}, 1.0);
    touches.cancelled();
    tap(1.1);
    touches.fingerDown(1, {50, 50}, 2.0);
    touches.fingerDown(2, {150, 50}, 2.0);
    touches.fingerUp(1, {50, 50});
    touches.fingerUp(2, {150, 50});
    tap(2.1);
    std::vector<int> counts;
    for (const std::string& line : window.log)
        if (line.starts_with("press")) counts.push_back(line.back() - '0');
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 1, 1, 1, 1, 1}));
}

}  // namespace
}  // namespace kestrel
