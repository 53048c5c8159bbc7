#include "core/platform/ManualRunLoop.h"
#include "core/ui/AnimationBlock.h"
#include "core/ui/View.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

using Kind = AnimationBlock::Kind;

class AnimationBlockTest : public ::testing::Test {
protected:
    ManualRunLoop loop;
    AnimationBlock block{&loop};
    View view{Rect{0, 0, 100, 50}};
    View other{Rect{0, 0, 10, 10}};
};

TEST_F(AnimationBlockTest, ABlockRecordsWhatChangedInsideIt) {
    ASSERT_TRUE(block.start(&view, true, 1));
    EXPECT_TRUE(block.started());
    view.setAlpha(0.5);
    EXPECT_DOUBLE_EQ(view.alpha(), 0.5);  // the model value changes at once
    block.end(&view, true);
    EXPECT_FALSE(block.started());
    ASSERT_EQ(block.records().size(), 1u);
    const auto& r = block.records()[0];
    EXPECT_EQ(r.kind, Kind::kViewAnimation);
    EXPECT_DOUBLE_EQ(r.duration, 0.75);
    EXPECT_EQ(r.transition, "none");
    EXPECT_EQ(r.changes, (std::vector<AnimationBlock::Change>{{&view, "alpha"}}));
    view.setAlpha(1.0);  // outside a block: not recorded
    EXPECT_EQ(block.records().size(), 1u);
}

TEST_F(AnimationBlockTest, HiddenViewsDisabledBlocksAndUnwantedBlocksDoNotStart) {
    view.setHidden(true);
    EXPECT_FALSE(block.start(&view, true, 1));
    view.setHidden(false);
    EXPECT_FALSE(block.start(&view, false, 1));
    EXPECT_FALSE(block.start(nullptr, true, 1));
    block.enable(false);
    EXPECT_FALSE(block.start(&view, true, 1));
    block.enable(true);
    EXPECT_FALSE(block.start(&view, true, 22));
    EXPECT_FALSE(block.start(&view, true, -1));
    EXPECT_FALSE(block.started());
    block.end(&view, false);
    EXPECT_TRUE(block.records().empty());
}

TEST_F(AnimationBlockTest, BlocksNeverNestAndOnlyTheirOwnViewEndsThem) {
    ASSERT_TRUE(block.start(&view, true, 2));
    EXPECT_FALSE(block.start(&other, true, 1));  // a second start
    block.end(&other, true);                      // its end is ignored
    EXPECT_TRUE(block.started());
    block.end(&view, false);                      // not animated: still open
    EXPECT_TRUE(block.started());
    block.end(&view, true);
    ASSERT_EQ(block.records().size(), 1u);
    EXPECT_TRUE(block.records()[0].linear);
}

TEST_F(AnimationBlockTest, LayerTransitionsAndScales) {
    for (int type : {3, 8, 13, 19}) {
        ASSERT_TRUE(block.start(&view, true, type)) << type;
        block.end(&view, true);
    }
    ASSERT_TRUE(block.start(&view, true, 9));
    block.end(&view, true, 1.25);
    const auto records = block.takeRecords();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].transition, "fade");
    EXPECT_EQ(records[0].subtype, "");
    EXPECT_DOUBLE_EQ(records[0].duration, 0.6);
    EXPECT_EQ(records[1].transition, "push");
    EXPECT_EQ(records[1].subtype, "fromRight");
    EXPECT_EQ(records[2].transition, "reveal");
    EXPECT_EQ(records[2].subtype, "fromLeft");
    EXPECT_EQ(records[3].transition, "moveIn");
    EXPECT_EQ(records[3].subtype, "fromBottom");
    EXPECT_DOUBLE_EQ(records[4].duration, 1.25);
    EXPECT_EQ(records[4].kind, Kind::kLayerTransition);

    ASSERT_TRUE(block.start(&view, true, 20));
    EXPECT_DOUBLE_EQ(view.transform().scaleX, 1.3);
    block.end(&view, true);
    ASSERT_TRUE(block.start(&view, true, 21));
    EXPECT_DOUBLE_EQ(view.transform().scaleY, 1.0);
    block.end(&view, true);
    EXPECT_DOUBLE_EQ(block.records().back().duration, 0.5);
    ASSERT_TRUE(block.start(&view, true, 6));
    block.end(&view, true);
    EXPECT_EQ(block.records().back().transition, "flipFromRight");
}

TEST_F(AnimationBlockTest, RandomTypesComeFromTheNineSmoothOnes) {
    std::srand(7);
    for (int i = 0; i < 200; ++i) {
        const int type = AnimationBlock::smoothRandom();
        EXPECT_TRUE(type == 4 || type == 6 || type == 11 || type == 8 || type == 19 || type == 16 ||
                    type == 15 || type == 12 || type == 21)
            << type;
    }
    ASSERT_TRUE(block.start(&view, true, 0));
    EXPECT_NE(block.type(), 0);
    block.end(&view, true);
}

TEST_F(AnimationBlockTest, TheDidStopCallbackRunsWhenTheAnimationHasPlayed) {
    int stopped = 0;
    ASSERT_TRUE(block.start(&view, true, 1, [&] { ++stopped; }));
    block.end(&view, true);
    loop.advance(RunLoop::seconds(0.75) - RunLoop::Duration(1));
    EXPECT_EQ(stopped, 0);
    loop.advance(RunLoop::Duration(1));
    EXPECT_EQ(stopped, 1);
}

TEST_F(AnimationBlockTest, UntakenRecordsStayBoundedAndKeepTheNewest) {
    // Thousands of blocks with no renderer taking them (a long kestrel-cli run).
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(block.start(&view, true, 1));
        view.setAlpha(i % 2 ? 0.5 : 1.0);
        block.end(&view, true);
        loop.advance(1.0);
        ASSERT_LE(block.records().size(), AnimationBlock::kMaxRecords);
    }
    EXPECT_GE(block.records().size(), AnimationBlock::kMaxRecords / 2);
    EXPECT_EQ(block.records().back().at, loop.now() - RunLoop::seconds(1.0));
    EXPECT_FALSE(block.takeRecords().empty());
    EXPECT_TRUE(block.records().empty());
}

TEST(AnimationBlockSharedTest, WithoutAnInstanceChangesApplyAtOnce) {
    EXPECT_EQ(AnimationBlock::animation(), nullptr);
    {
        AnimationBlock block;
        EXPECT_EQ(AnimationBlock::animation(), &block);
    }
    EXPECT_EQ(AnimationBlock::animation(), nullptr);
    View view;
    view.setAlpha(0.25);  // nothing open anywhere: no crash, applied
    EXPECT_DOUBLE_EQ(view.alpha(), 0.25);
}

}  // namespace
}  // namespace kestrel
