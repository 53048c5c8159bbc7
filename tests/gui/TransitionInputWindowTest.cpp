#include "support/TransitionInputWindow.h"

#include <chrono>

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using namespace test;

// Input that lands as a screen opens or closes: the second tap of a
// double tap, a key as the settings close, the review sliding in.
class TransitionInputWindowTest : public TransitionInputWindow {};

// The second tap lands on the screen the first one opened: it does nothing
// there (no switch turned, no chooser, no photo opened), and the screen
// that opened stays.
TEST_P(TransitionInputWindowTest, ASecondTapOnTheScreenTheFirstOpenedDoesNothingThere) {
    // The settings as they are, then from a double tap on their button.
    bar().settingsButton().press();
    settle();
    const std::vector<std::string> settings = settingsShown();
    window->tap(doneButton());
    settle();
    ASSERT_TRUE(cameraShown());
    doubleTapAt(middleOnScreen(bar().settingsButton()));
    settle();
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    EXPECT_EQ(app->settingsNavigation().depth(), 1u);
    EXPECT_EQ(settingsShown(), settings);
    window->tap(doneButton());
    settle();
    ASSERT_TRUE(cameraShown());

    // The list of keys: the first tap closes it, the second lands on the camera.
    key(Qt::Key_F1);
    ASSERT_TRUE(window->keyListShown());
    doubleTapAt(middleOnScreen(bar().settingsButton()));
    settle();
    EXPECT_FALSE(window->keyListShown());
    EXPECT_TRUE(cameraShown()) << "the second tap opened the settings";

    // The album, full of photos down to its bottom, from a double tap on its button.
    fillRoll(40);
    doubleTapAt(middleOnScreen(bar().albumButton()));
    settle();
    ASSERT_TRUE(app->albumShown());
    EXPECT_EQ(app->albumNavigation().depth(), 1u) << "the second tap opened a photo";
    if (std::get<1>(GetParam()) == Input::kDoubleClick) keep("album-double-clicked");

    // Done, twice: the camera again, the camera switch untouched.
    const int pictures = camera.picturesTaken();
    const int before = app->settings().record().camera();
    doubleTapAt(doneButton());
    settle();
    ASSERT_TRUE(cameraShown());
    EXPECT_EQ(app->settings().record().camera(), before) << "the second tap switched the camera";
    EXPECT_EQ(camera.picturesTaken(), pictures);
    EXPECT_TRUE(app->camera().isLive());
}

// Done starts the settings on their way out (the camera comes back a tenth
// of a second later): a tap on a row, Escape and the album's key in that
// tenth change nothing, the camera comes back once and is drawn, and the
// settings open again on their first screen.
TEST_P(TransitionInputWindowTest, TheSettingsOnTheirWayOutTakeNoMoreInput) {
    bar().settingsButton().press();
    settle();
    window->screenshot();  // lays the rows out
    std::optional<QPointF> row;
    for (const auto& element : window->renderer().accessibleElements())
        if (element.kind == gui::ScreenRenderer::Element::Kind::kRow &&
            element.name.starts_with("Photo Ratio"))
            row = element.rect.center();
    ASSERT_TRUE(row);
    const std::vector<std::string> settings = settingsShown();
    window->tap(doneButton());
    loop.advance(0.02);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, row->toPoint());
    key(Qt::Key_Escape);
    key(Qt::Key_A);
    QCoreApplication::processEvents();
    const int paints = watch.paints;
    settle();
    ASSERT_TRUE(cameraShown());
    EXPECT_FALSE(app->albumShown());
    EXPECT_TRUE(app->camera().isLive());
    EXPECT_GT(watch.paints, paints);
    EXPECT_GE(watch.lastPaint, RunLoop::toSeconds(loop.now()) - 2.0 + 0.1)
        << "not drawn since the camera came back";
    bar().settingsButton().press();
    settle();
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    EXPECT_EQ(app->settingsNavigation().depth(), 1u);
    EXPECT_EQ(settingsShown(), settings);
}

// The review slides in after a shot: a double tap on where Use lies, Return
// and a tap on the picture (the full-screen shutter) while it slides take
// one answer: the picture is saved once, no second picture is taken, the
// live view comes back, and the window is drawn once the slide has ended
// and then rests.
TEST_P(TransitionInputWindowTest, TheReviewSlidingInTakesOneAnswer) {
    key(Qt::Key_Space);
    loop.advance(SimulatedCamera::kShutterLag + 0.05);  // the picture comes
    // Its processing's posts, if it has any: then the bar starts sliding.
    while (!bar().reviewPageShown() && loop.waitForPosts(60s))
        loop.runUntilIdle();
    QCoreApplication::processEvents();
    ASSERT_TRUE(bar().reviewPageShown());
    const double slideEnds = RunLoop::toSeconds(loop.now()) + AnimationBlock::kViewDuration;
    loop.advance(0.3);
    nextFrame();
    EXPECT_TRUE(window->renderer().animating());
    if (std::get<1>(GetParam()) == Input::kDoubleClick) keep("review-sliding");
    doubleTapAt(middleOnScreen(bar().useButton()));
    key(Qt::Key_Return);
    QTest::touchEvent(window.get(), touchScreen())
        .press(0, toQPoint(middleOnScreen(*app->cameraViews().overlay)));
    QTest::touchEvent(window.get(), touchScreen())
        .release(0, toQPoint(middleOnScreen(*app->cameraViews().overlay)));
    ASSERT_TRUE(loop.waitForPosts(60s));
    loop.runUntilIdle();
    settle();
    settle();
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_EQ(photos().size(), 1u);
    EXPECT_TRUE(app->camera().isLive());
    EXPECT_FALSE(bar().reviewPageShown());
    // Drawn after the slide's end, no animation left running.
    EXPECT_GT(watch.lastPaint, slideEnds);
    nextFrame();
    EXPECT_FALSE(window->renderer().animating());
    if (std::get<1>(GetParam()) == Input::kDoubleClick) keep("review-answered");
}

// A finger held down as a key changes the screen under it: lifted, it
// taps nothing of the screen that went (no shutter on the album, no photo
// opened behind the camera), and the next screens open as they should.
TEST_P(TransitionInputWindowTest, AFingerHeldAsAKeyChangesTheScreenTapsNothingThatWent) {
    fillRoll(4);
    const int pictures = camera.picturesTaken();
    const QPoint picture = toQPoint(middleOnScreen(*app->cameraViews().overlay));
    QTest::touchEvent(window.get(), touchScreen()).press(0, picture);
    key(Qt::Key_A);
    QTest::touchEvent(window.get(), touchScreen()).release(0, picture);
    settle();
    ASSERT_TRUE(app->albumShown());
    EXPECT_EQ(camera.picturesTaken(), pictures) << "the lifted finger was the full-screen shutter";

    window->screenshot();  // lays the tiles out
    const float width = static_cast<float>(std::get<0>(GetParam()).width);
    const float columns = static_cast<float>(app->screenLayout().albumColumns());
    const QPoint tile = toQPoint(
        Point{std::floor((width - ImageTileCell::kTileWidth * columns) / 2) + 40, 44 + 40});
    QTest::touchEvent(window.get(), touchScreen()).press(0, tile);
    key(Qt::Key_Escape);  // Done
    QTest::touchEvent(window.get(), touchScreen()).release(0, tile);
    settle();
    ASSERT_TRUE(cameraShown());
    EXPECT_EQ(app->albumNavigation().depth(), 1u) << "a photo opened behind the camera";
    bar().albumButton().press();
    settle();
    ASSERT_TRUE(app->albumShown());
    EXPECT_EQ(app->albumNavigation().depth(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Windows, TransitionInputWindowTest, transitionShapes(), transitionShapeName);

}  // namespace
}  // namespace kestrel
