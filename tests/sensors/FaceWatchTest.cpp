#include "core/sensors/FaceWatch.h"

#include "core/platform/ManualRunLoop.h"
#include "support/FakeFaceFinder.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <deque>

namespace kestrel {
namespace {

using test::FakeFaceFinder;
using test::Rgb;
using test::TestImages;

struct KeepsCase {
    FaceWatch::Rule rule;
    FaceWatch::Count count;
    bool keeps;
};

TEST(FaceWatchRuleTest, TheWantedNumberOfFacesDoingWhatIsAsked) {
    const bool smile = true, look = false;
    const KeepsCase cases[] = {
        {{smile, 1, 3}, {1, 1, 0}, true},
        {{smile, 1, 3}, {3, 1, 3}, true},    // one of three smiling is one
        {{smile, 1, 3}, {2, 0, 2}, false},   // looking is not smiling
        {{smile, 2, 3}, {2, 1, 2}, false},
        {{smile, 2, 3}, {3, 2, 0}, true},
        {{smile, 3, 3}, {2, 2, 2}, false},   // two faces cannot be three
        {{look, 1, 3}, {1, 0, 1}, true},     // an unsmiling face looking at the camera
        {{look, 2, 3}, {2, 2, 1}, false},
        {{smile, FaceWatch::kAllFound, 3}, {3, 3, 0}, true},
        {{smile, FaceWatch::kAllFound, 3}, {3, 2, 3}, false},
        {{smile, FaceWatch::kAllFound, 3}, {0, 0, 0}, false},  // no face found waits
        {{look, FaceWatch::kAllFound, 3}, {2, 0, 2}, true},
    };
    for (const KeepsCase& c : cases)
        EXPECT_EQ(FaceWatch::keeps(c.count, c.rule), c.keeps)
            << (c.rule.smile ? "smile" : "look") << " " << c.rule.faces << " of found "
            << c.count.found << " smiling " << c.count.smiling << " looking " << c.count.looking;
}

// The watch with its jobs held in a queue, run when the test says: the
// finder's work is off the loop, and its result comes back by post.
class FaceWatchTest : public ::testing::Test {
protected:
    FaceWatchTest()
        : finder(std::make_shared<FakeFaceFinder>()),
          watch(loop, finder, [this](std::function<void()> job) { jobs.push_back(std::move(job)); }) {}

    // The finder runs the oldest job; its result reaches the loop.
    void finish() {
        ASSERT_FALSE(jobs.empty());
        auto job = std::move(jobs.front());
        jobs.pop_front();
        job();
        loop.runUntilIdle();
    }
    void pollAndFinish(RunLoop::Duration at) {
        ASSERT_TRUE(watch.poll(frame, at));
        finish();
    }

    ManualRunLoop loop;
    std::shared_ptr<FakeFaceFinder> finder;
    std::deque<std::function<void()>> jobs;
    FaceWatch watch;
    Image frame = TestImages::uniform(64, 48, Rgb{120, 120, 120});
};

TEST_F(FaceWatchTest, HoldsAfterTheAgreeingResultsInARowAndTellsTheLastFramesTime) {
    watch.setRule(FaceWatch::Rule{true, 2, 3});
    finder->answer(FakeFaceFinder::faces(2, 2, 0));
    pollAndFinish(RunLoop::seconds(1.0));
    pollAndFinish(RunLoop::seconds(1.25));
    EXPECT_FALSE(watch.holds());
    // A poll that disagrees starts the count again.
    finder->answer(FakeFaceFinder::faces(2, 1, 0));
    pollAndFinish(RunLoop::seconds(1.5));
    EXPECT_FALSE(watch.heldAt());
    finder->answer(FakeFaceFinder::faces(2, 2, 0));
    pollAndFinish(RunLoop::seconds(1.75));
    pollAndFinish(RunLoop::seconds(2.0));
    EXPECT_FALSE(watch.holds());
    pollAndFinish(RunLoop::seconds(2.25));
    EXPECT_TRUE(watch.holds());
    EXPECT_EQ(watch.heldAt(), RunLoop::seconds(2.25));
    EXPECT_EQ(watch.latest().found, 2);
    EXPECT_EQ(watch.latest().smiling, 2);
    EXPECT_EQ(watch.results(), 6);
}

TEST_F(FaceWatchTest, APollWhileTheFinderIsBusyIsSkippedAndTheResultComesOnTheLoop) {
    finder->answer(FakeFaceFinder::faces(1, 1, 1));
    ASSERT_TRUE(watch.poll(frame, RunLoop::seconds(0.25)));
    EXPECT_TRUE(watch.busy());
    EXPECT_FALSE(watch.poll(frame, RunLoop::seconds(0.5)));
    EXPECT_EQ(jobs.size(), 1u);
    // The job ran, but its result has not reached the loop yet.
    jobs.front()();
    jobs.pop_front();
    EXPECT_EQ(watch.results(), 0);
    loop.runUntilIdle();
    EXPECT_EQ(watch.results(), 1);
    EXPECT_FALSE(watch.busy());
    EXPECT_EQ(watch.latest().smiling, 1);
}

TEST_F(FaceWatchTest, AResetDropsTheResultOnItsWayAndForgetsTheAgreement) {
    watch.setRule(FaceWatch::Rule{true, 1, 2});
    finder->answer(FakeFaceFinder::faces(1, 1, 0));
    pollAndFinish(RunLoop::seconds(0.25));
    ASSERT_TRUE(watch.poll(frame, RunLoop::seconds(0.5)));
    watch.reset();
    finish();  // asked before the reset: not counted
    EXPECT_EQ(watch.results(), 1);
    EXPECT_EQ(watch.latest().found, 0);
    pollAndFinish(RunLoop::seconds(0.75));
    EXPECT_FALSE(watch.holds());  // one result since the reset
    pollAndFinish(RunLoop::seconds(1.0));
    EXPECT_TRUE(watch.holds());
}

TEST_F(FaceWatchTest, TheFinderSeesTheFrameUprightWithin640By480) {
    const struct {
        Image frame;
        Size seen;
    } cases[] = {
        {TestImages::uniform(1920, 1080, Rgb{50, 60, 70}), Size{640, 360}},
        {TestImages::uniform(480, 640, Rgb{50, 60, 70}), Size{360, 480}},
        {TestImages::uniform(320, 240, Rgb{50, 60, 70}), Size{320, 240}},  // never enlarged
        {Image(TestImages::uniform(640, 480, Rgb{50, 60, 70}).bitmap().clone(), Image::kRight),
         Size{360, 480}},  // a turned frame, upright
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(watch.poll(c.frame, RunLoop::seconds(1)));
        finish();
        EXPECT_EQ(finder->lastSize, c.seen);
    }
}

TEST_F(FaceWatchTest, AFinderThatFailedIsAskedNothingMoreEvenAfterAReset) {
    finder->fail("the model cannot be read");
    ASSERT_TRUE(watch.poll(frame, RunLoop::seconds(0.25)));
    watch.reset();  // a failure is for good, whenever it was asked
    finish();
    EXPECT_EQ(watch.failure(), "the model cannot be read");
    EXPECT_FALSE(watch.busy());
    EXPECT_FALSE(watch.poll(frame, RunLoop::seconds(0.5)));
    watch.reset();
    EXPECT_FALSE(watch.poll(frame, RunLoop::seconds(0.75)));
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(finder->calls, 1);
}

TEST_F(FaceWatchTest, TheWatchGoneBeforeItsResultIsNotCalled) {
    auto early = std::make_unique<FaceWatch>(
        loop, finder, [this](std::function<void()> job) { jobs.push_back(std::move(job)); });
    ASSERT_TRUE(early->poll(frame, RunLoop::seconds(0.25)));
    early.reset();
    finish();  // its post finds no watch; nothing crashes (ASan would say)
    EXPECT_EQ(finder->calls, 1);
}

TEST(FaceWatchWorkerTest, ItsOwnWorkerLooksOffTheLoopAndPostsTheResultBack) {
    ManualRunLoop loop;
    auto finder = std::make_shared<FakeFaceFinder>();
    finder->answer(FakeFaceFinder::faces(3, 3, 3));
    FaceWatch watch(loop, finder);
    ASSERT_TRUE(watch.poll(TestImages::uniform(64, 48, Rgb{1, 2, 3}), RunLoop::seconds(0)));
    ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(10)));
    loop.runUntilIdle();
    EXPECT_EQ(watch.results(), 1);
    EXPECT_EQ(watch.latest().found, 3);
}

}  // namespace
}  // namespace kestrel
