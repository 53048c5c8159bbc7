#include "core/camera/MomentCapture.h"

#include "core/platform/ManualRunLoop.h"
#include "sim/SimulatedCamera.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using Rule = CameraPicker::StillChoice::Rule;
using Options = MomentCapture::Options;

struct Rig {
    ManualRunLoop loop;
    SimulatedCamera camera{loop};
    MomentCapture moment{loop, camera};

    // The still the camera hands over for `plan`, after its wait, and its frame's time.
    std::optional<RunLoop::Duration> take(const MomentCapture::Plan& plan) {
        std::optional<RunLoop::Duration> frameTime;
        bool came = false;
        loop.advance(plan.wait);
        camera.takeStill(plan.choice, [&](const Image& picture, std::optional<RunLoop::Duration> time) {
            came = static_cast<bool>(picture);
            frameTime = time;
        });
        loop.advance(1.0);
        EXPECT_TRUE(came);
        return frameTime;
    }
};

TEST(MomentCaptureTest, FramesAreKeptOnlyWhileAWaitingModeUsesThem) {
    struct Case {
        const char* what;
        Options options;
        bool waiting;
        bool keeps;
    };
    const std::vector<Case> cases = {
        {"catch the moment, waiting", {true, false, false}, true, true},
        {"pick the sharpest, waiting", {false, true, false}, true, true},
        {"both, waiting", {true, true, false}, true, true},
        {"neither", {false, false, false}, true, false},
        {"not waiting", {true, true, false}, false, false},
        {"the flash will fire", {true, true, true}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.moment.update(c.options, c.waiting);
        EXPECT_EQ(rig.camera.keepsRecentFrames(), c.keeps);
        EXPECT_EQ(rig.moment.keeping(), c.keeps);
        rig.moment.update(c.options, false);
        EXPECT_FALSE(rig.camera.keepsRecentFrames());
    }
}

TEST(MomentCaptureTest, TheStillIsTheFrameNearestTheEventNotTheNextOne) {
    Rig rig;
    const Options catching{true, false, false};
    rig.moment.update(catching, true);
    rig.loop.advance(2.0);
    // The event 0.4 s before the decision: the frame of it, 33 ms apart at most.
    const auto event = RunLoop::seconds(1.6);
    const MomentCapture::Plan plan = rig.moment.plan(catching, event);
    EXPECT_EQ(plan.choice.rule, Rule::kNearest);
    EXPECT_EQ(plan.wait, RunLoop::Duration::zero());
    const auto frame = rig.take(plan);
    ASSERT_TRUE(frame);
    EXPECT_LE(std::chrono::abs(*frame - event), RunLoop::seconds(1.0 / 60));
    EXPECT_NE(MomentCapture::describe(plan, RunLoop::seconds(2.0), frame).find("ms from the event at 1.600 s"),
              std::string::npos);
}

TEST(MomentCaptureTest, TheSharpestIsChosenOnceItsWindowHasPassed) {
    Rig rig;
    const Options sharpest{true, true, false};
    rig.moment.update(sharpest, true);
    rig.loop.advance(1.0);
    const MomentCapture::Plan plan = rig.moment.plan(sharpest, RunLoop::seconds(0.9));
    EXPECT_EQ(plan.choice.rule, Rule::kSharpest);
    EXPECT_EQ(plan.choice.from, RunLoop::seconds(0.6));
    EXPECT_EQ(plan.choice.to, RunLoop::seconds(1.2));
    EXPECT_EQ(plan.wait, RunLoop::seconds(0.2));
    const auto frame = rig.take(plan);
    ASSERT_TRUE(frame);
    EXPECT_GE(*frame, plan.choice.from);
    EXPECT_LE(*frame, plan.choice.to);
}

TEST(MomentCaptureTest, WithoutKeptFramesOrWithTheFlashTheStillIsTheNextFrame) {
    Rig rig;
    const Options flash{true, false, true};
    rig.moment.update(flash, true);
    rig.loop.advance(1.0);
    const MomentCapture::Plan plan = rig.moment.plan(flash, RunLoop::seconds(0.5));
    EXPECT_EQ(plan.choice.rule, Rule::kNext);
    const auto frame = rig.take(plan);
    ASSERT_TRUE(frame);
    EXPECT_GT(*frame, RunLoop::seconds(1.0));  // after the shutter's lag
}

TEST(MomentCaptureTest, AFullSizeSensorsFramesStayWithinTheBudget) {
    ManualRunLoop loop;
    SimulatedCamera camera(loop);  // 2592 × 1936, 7.5 MB a frame as 4:2:0
    FrameRing::Budget budget;
    MomentCapture moment(loop, camera, budget);
    moment.update({true, false, false}, true);
    loop.advance(3.0);
    const FrameRing* ring = camera.recentFrames();
    ASSERT_TRUE(ring);
    EXPECT_LE(ring->bytes(), budget.maxBytes);
    EXPECT_EQ(ring->size(), budget.maxBytes / (std::size_t{2592} * 1936 * 3 / 2));
    moment.update({true, false, false}, false);
    EXPECT_FALSE(camera.recentFrames());
}

}  // namespace
}  // namespace kestrel
