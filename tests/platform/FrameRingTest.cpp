#include "core/platform/FrameRing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace kestrel {
namespace {

using std::chrono::milliseconds;

// A frame that knows when it is let go, and looks at the ring as it goes:
// a ring that let its frames go under its own lock would hang here.
class CountedFrame final : public FrameRing::Frame {
public:
    CountedFrame(std::atomic<int>& alive, const FrameRing* ring) : alive_(&alive), ring_(ring) { ++*alive_; }
    ~CountedFrame() override {
        if (ring_) (void)ring_->size();
        --*alive_;
    }
    Image picture() const override { return Image(Bitmap(2, 2)); }

private:
    std::atomic<int>* alive_;
    const FrameRing* ring_;
};

struct Feed {
    FrameRing ring;
    std::atomic<int> alive{0};
    explicit Feed(FrameRing::Budget budget) : ring(budget) {}
    void add(milliseconds time, std::size_t bytes = 1000) {
        ring.add(time, bytes, std::make_shared<CountedFrame>(alive, &ring));
    }
    // A camera at 30 frames a second for `seconds`.
    void stream(double seconds, std::size_t bytes) {
        for (int i = 0; i * (1000.0 / 30) <= seconds * 1000; ++i)
            add(milliseconds(static_cast<int>(i * 1000 / 30)), bytes);
    }
};

TEST(FrameRingTest, KeepsAboutTheLastSecondWithinItsMemoryBudget) {
    const std::size_t mib = std::size_t{1} << 20;
    struct Case {
        const char* what;
        std::size_t frameBytes;
        std::size_t maxBytes;
        std::size_t expectFrames;
    };
    const std::vector<Case> cases = {
        // 640 × 480 NV12: a second of frames fits easily (31 frames 33 ms apart).
        {"small frames: the second", 460'800, 192 * mib, 31},
        // 2592 × 1936 NV12, 7.5 MB each: 192 MiB holds 26.
        {"5 MP frames: the budget", 7'527'168, 192 * mib, 26},
        // 12 MP NV12, 18 MB each.
        {"12 MP frames: the budget", 18'000'000, 192 * mib, 11},
        {"a frame larger than the budget: none", 200 * mib, 192 * mib, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Feed feed({RunLoop::seconds(1.0), c.maxBytes, 60});
        std::size_t mostBytes = 0;
        for (int i = 0; i <= 90; ++i) {
            feed.add(milliseconds(i * 100 / 3), c.frameBytes);
            mostBytes = std::max(mostBytes, feed.ring.bytes());
        }
        EXPECT_LE(mostBytes, c.maxBytes);
        EXPECT_EQ(feed.ring.size(), c.expectFrames);
        EXPECT_EQ(feed.ring.bytes(), c.expectFrames * c.frameBytes);
        // What the ring let go is gone, not merely forgotten.
        EXPECT_EQ(feed.alive.load(), static_cast<int>(c.expectFrames));
        if (c.expectFrames > 0) {
            EXPECT_EQ(*feed.ring.newest(), milliseconds(3000));
            EXPECT_GE(*feed.ring.oldest(), milliseconds(2000));
        }
    }
}

TEST(FrameRingTest, AFrameCountBoundsAFastSource) {
    Feed feed({RunLoop::seconds(1.0), std::size_t{1} << 30, 10});
    feed.stream(2.0, 1000);
    EXPECT_EQ(feed.ring.size(), 10u);
}

TEST(FrameRingTest, TheNearestFrameToAMoment) {
    Feed feed({});
    for (int t : {100, 133, 166, 200, 233}) feed.add(milliseconds(t));
    const std::vector<std::pair<int, int>> cases = {
        {0, 100},     // before the oldest: the oldest there is
        {140, 133},   // between two: the nearer
        {150, 166},
        {183, 166},   // as near to both: the earlier
        {200, 200},   // exactly one
        {900, 233},   // after the newest: the newest
    };
    for (const auto& [moment, frame] : cases) {
        SCOPED_TRACE(moment);
        const auto kept = feed.ring.nearest(milliseconds(moment));
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->time, milliseconds(frame));
        EXPECT_TRUE(kept->frame->picture());
    }
    feed.ring.clear();
    EXPECT_FALSE(feed.ring.nearest(milliseconds(100)));
    EXPECT_EQ(feed.alive.load(), 0);
}

TEST(FrameRingTest, TheSharpestFrameOfAWindow) {
    Feed feed({});
    for (int t = 0; t <= 1000; t += 100) feed.add(milliseconds(t));
    // Before any figure: the frame nearest the window's middle.
    EXPECT_EQ(feed.ring.sharpest(milliseconds(200), milliseconds(800))->time, milliseconds(500));
    feed.ring.noteSharpness(milliseconds(300), 40);
    feed.ring.noteSharpness(milliseconds(604), 90);  // a live frame 4 ms off its twin
    feed.ring.noteSharpness(milliseconds(700), 90);  // as sharp, later
    feed.ring.noteSharpness(milliseconds(1000), 500);  // sharpest, outside the first window
    feed.ring.noteSharpness(milliseconds(450), 900);  // no kept frame that near: ignored
    EXPECT_EQ(feed.ring.sharpest(milliseconds(200), milliseconds(800))->time, milliseconds(600));
    EXPECT_EQ(feed.ring.sharpest(milliseconds(200), milliseconds(1000))->time, milliseconds(1000));
    EXPECT_FALSE(feed.ring.sharpest(milliseconds(1100), milliseconds(1200)));
}

TEST(FrameRingTest, AFrameOlderThanTheNewestIsNotKept) {
    Feed feed({});
    feed.add(milliseconds(500));
    feed.add(milliseconds(400));
    EXPECT_EQ(feed.ring.size(), 1u);
    EXPECT_EQ(feed.alive.load(), 1);
}

}  // namespace
}  // namespace kestrel
