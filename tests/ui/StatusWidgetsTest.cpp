#include "core/ui/ActivityView.h"
#include "core/ui/AnimationBlock.h"
#include "core/ui/HoverView.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/TouchView.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

using Kind = DrawingPrimitive::Kind;

int count(const Drawing& d, Kind kind) {
    return static_cast<int>(std::count_if(d.begin(), d.end(), [kind](const auto& p) { return p.kind == kind; }));
}

TEST(IndicatorViewTest, SegmentsFollowTheLevel) {
    IndicatorView bar(Rect{0, 0, 100, 12});  // unit 3: segments 5 wide, 9 apart
    bar.setLevel(0);
    Drawing d = bar.draw();
    EXPECT_EQ(count(d, Kind::kStrokeRect), 10);
    ASSERT_EQ(count(d, Kind::kFillRect), 2);  // segment 0 at alpha 0, twice
    EXPECT_DOUBLE_EQ(d[0].color.alpha, 0.0);
    EXPECT_EQ(d[0].rect, (Rect{0.5f, 0.5f, 5, 11}));
    EXPECT_EQ(d.back().rect, (Rect{81.5f, 0.5f, 5, 11}));

    bar.setLevel(0.05f);
    d = bar.draw();
    ASSERT_EQ(count(d, Kind::kFillRect), 2);
    EXPECT_NEAR(d[0].color.alpha, 0.5, 1e-6);
    EXPECT_EQ(d[1], d[0]);  // drawn twice

    bar.setLevel(0.35f);
    d = bar.draw();
    ASSERT_EQ(count(d, Kind::kFillRect), 5);  // three full, the fourth twice
    EXPECT_DOUBLE_EQ(d[2].color.alpha, 1.0);
    EXPECT_EQ(d[3].rect.x, 27.5f);
    EXPECT_NEAR(d[3].color.alpha, 0.5, 1e-6);

    bar.setLevel(1.0f);
    d = bar.draw();
    EXPECT_EQ(count(d, Kind::kFillRect), 10);
    for (int i = 0; i < 10; ++i) EXPECT_DOUBLE_EQ(d[static_cast<std::size_t>(i)].color.alpha, 1.0);
}

TEST(PanelTest, RoundedPanelsInsetByOnePoint) {
    HoverView hover(Rect{10, 10, 120, 80}, 0.8f, 0.5f);
    const Drawing d = hover.draw();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].kind, Kind::kFillRoundedRect);
    EXPECT_EQ(d[0].rect, (Rect{1, 1, 118, 78}));
    EXPECT_FLOAT_EQ(d[0].radius, 5);
    EXPECT_NEAR(d[0].color.red, 0.8, 1e-6);
    EXPECT_NEAR(d[0].color.alpha, 0.5, 1e-6);

    ActivityView activity(Rect{0, 0, 100, 100});
    EXPECT_NEAR(activity.draw()[0].color.red, 0.2, 1e-6);
    activity.setLookThrough(true);
    EXPECT_TRUE(activity.draw().empty());
}

TEST(ActivityViewTest, ShownAndHiddenWithAFade) {
    AnimationBlock block;
    auto parent = std::make_shared<View>(Rect{0, 0, 320, 480});
    auto activity = std::make_shared<ActivityView>(Rect{0, 0, 100, 60});
    activity->setHidden(true);
    activity->startAnimating("Saving", activity, *parent);
    EXPECT_FALSE(activity->hidden());
    EXPECT_TRUE(activity->spinning());
    EXPECT_EQ(activity->label()->text(), "Saving");
    EXPECT_TRUE(activity->label()->font().bold);
    EXPECT_EQ(activity->center(), (Point{160, 240}));
    EXPECT_EQ(parent->subviews().back().get(), activity.get());
    EXPECT_TRUE(block.records().empty());  // a hidden panel is shown without a fade

    activity->stopAnimating();
    EXPECT_TRUE(activity->hidden());
    EXPECT_FALSE(activity->spinning());
    ASSERT_EQ(block.records().size(), 1u);
    EXPECT_EQ(block.records()[0].transition, "fade");
    EXPECT_DOUBLE_EQ(block.records()[0].duration, 0.6);
}

TEST(TouchViewTest, TapsBecomeNotifications) {
    NotificationCenter center;
    TouchView touch(Rect{}, center);
    std::vector<std::string> seen;
    for (const char* name : {TouchView::kSingleTap, TouchView::kDoubleTap})
        center.addObserver(name, [&](const Notification& n) {
            EXPECT_EQ(n.sender, &touch);
            seen.push_back(n.name);
        });
    for (int taps : {1, 2, 3, 0}) touch.touchesEnded(taps);
    EXPECT_EQ(seen, (std::vector<std::string>{"Single Tap", "Double Tap"}));
}

TEST(ViewTest, TheTreeKeepsOneParentAndItsOrder) {
    auto root = std::make_shared<View>();
    auto other = std::make_shared<View>();
    auto a = std::make_shared<View>();
    auto b = std::make_shared<View>();
    root->addSubview(a);
    root->addSubview(b);
    root->bringSubviewToFront(a.get());
    EXPECT_EQ(root->subviews().back(), a);
    other->addSubview(a);  // moves it
    EXPECT_EQ(root->subviews().size(), 1u);
    EXPECT_EQ(a->superview(), other.get());
    a->removeFromSuperview();
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_TRUE(other->subviews().empty());
    // A view held only by its parent can remove itself.
    auto lonely = std::make_shared<View>();
    View* raw = lonely.get();
    root->addSubview(lonely);
    lonely.reset();
    raw->removeFromSuperview();
    EXPECT_EQ(root->subviews().size(), 1u);
    b->setCenter(Point{50, 50});
    EXPECT_EQ(b->center(), (Point{50, 50}));
}

}  // namespace
}  // namespace kestrel

#include "core/ui/Button.h"
#include "core/ui/ImageView.h"

namespace kestrel {
namespace {

TEST(ButtonTest, StatesImagesAndPresses) {
    ImageButton shutter;
    shutter.setImage("camera.png");
    for (auto state : {Button::kNormal, Button::kHighlighted, Button::kDisabled, Button::kSelected})
        EXPECT_EQ(shutter.image(state), "camera.png");
    shutter.setImage("pause.png", Button::kSelected);
    shutter.setSelected(true);
    EXPECT_EQ(shutter.currentImage(), "pause.png");
    int pressed = 0;
    EXPECT_FALSE(shutter.press());  // no action yet
    shutter.setAction([&](Button&) { ++pressed; });
    EXPECT_TRUE(shutter.press());
    shutter.setEnabled(false);
    EXPECT_FALSE(shutter.press());
    shutter.setEnabled(true);
    shutter.setHidden(true);
    EXPECT_FALSE(shutter.press());
    EXPECT_EQ(pressed, 1);
}

TEST(ImageViewTest, AnImageOrAResourceName) {
    ImageView view;
    view.setImageName("Mode_Auto.png");
    EXPECT_EQ(view.imageName(), "Mode_Auto.png");
    view.setImage(Image(Bitmap(2, 2)));
    EXPECT_TRUE(view.imageName().empty());
    EXPECT_TRUE(view.image());
}

}  // namespace
}  // namespace kestrel
