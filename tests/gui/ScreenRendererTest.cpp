#include "gui/ScreenRenderer.h"

#include <gtest/gtest.h>

#include <numbers>

namespace kestrel {
namespace {

// A long, thin view turned upright, as the toolbar's labels turn with the device.
TEST(ScreenRendererTest, TouchesFindViewsAsTheyAreDrawnTurnedAndScaled) {
    ViewController screen;
    auto bar = std::make_shared<View>(Rect{100, 100, 100, 20});  // centre (150, 110)
    screen.view().addSubview(bar);
    gui::ScreenRenderer renderer(nullptr, nullptr);
    renderer.prepare(screen);

    EXPECT_EQ(renderer.hitTest({105, 110}).view, bar.get());
    bar->setTransform(View::Transform::rotated(std::numbers::pi / 2));
    // Upright now: the ends of the frame are empty and the bar reaches above and below it.
    EXPECT_EQ(renderer.hitTest({105, 110}).view, &screen.view());
    const auto top = renderer.hitTest({150, 65});
    ASSERT_EQ(top.view, bar.get());
    // Turned clockwise, as the core means a positive angle, the bar's left end is at the top.
    EXPECT_NEAR(top.local.x, 5, 1e-3);
    EXPECT_NEAR(top.local.y, 10, 1e-3);

    bar->setTransform(View::Transform::scaled(0.5));
    EXPECT_EQ(renderer.hitTest({110, 110}).view, &screen.view());
    EXPECT_EQ(renderer.hitTest({130, 110}).view, bar.get());
    bar->setTransform(View::Transform::scaled(0));  // shrunk to nothing: nothing to touch
    EXPECT_EQ(renderer.hitTest({150, 110}).view, &screen.view());
}

}  // namespace
}  // namespace kestrel
