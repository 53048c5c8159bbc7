#include "core/ui/TouchedScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

// Runs of touches over two screens, A and B: what each step answers.
struct Step {
    enum Kind { kBegin, kContinue } kind;
    char screen;  // 'A', 'B', or '-' for none
    int tapCount;
    bool goes;
};
struct Case {
    const char* name;
    std::vector<Step> steps;
};

TEST(TouchedScreenTest, ATouchBelongsToTheScreenItBeganOnAndADoubleTapToItsFirstTap) {
    using K = Step::Kind;
    const Case cases[] = {
        {"a tap, and a double tap on one screen",
         {{K::kBegin, 'A', 1, true}, {K::kContinue, 'A', 0, true}, {K::kBegin, 'A', 2, true}}},
        {"the first tap opened B: the second does nothing there",
         {{K::kBegin, 'A', 1, true}, {K::kBegin, 'B', 2, false}, {K::kContinue, 'B', 0, false}}},
        {"a new first tap on B goes",
         {{K::kBegin, 'A', 1, true}, {K::kBegin, 'B', 2, false}, {K::kBegin, 'B', 1, true}}},
        {"the screen changed under the finger: over, and over when A comes back",
         {{K::kBegin, 'A', 1, true}, {K::kContinue, 'B', 0, false}, {K::kContinue, 'A', 0, false}}},
        {"no screen takes no touch", {{K::kBegin, '-', 1, false}, {K::kBegin, '-', 2, false}}},
    };
    const char a = 0, b = 0;
    const auto screen = [&](char name) -> const void* {
        return name == 'A' ? &a : name == 'B' ? &b : nullptr;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TouchedScreen touched;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            const bool goes = step.kind == K::kBegin
                                  ? touched.began(screen(step.screen), step.tapCount)
                                  : touched.continuesOn(screen(step.screen));
            EXPECT_EQ(goes, step.goes);
        }
    }
}

}  // namespace
}  // namespace kestrel
