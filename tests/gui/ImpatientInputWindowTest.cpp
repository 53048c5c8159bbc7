#include "support/TransitionInputWindow.h"

#include <chrono>

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using namespace test;

// What impatient users do: taps repeated before the screen has answered,
// and input while a screen is still opening.
class ImpatientInputWindowTest : public TransitionInputWindow {};

// What an impatient user does to a screen that opens another: the row,
// the photo or the back button tapped twice, two photos one after the
// other, a photo and at once Done. Each leaves the screens where the
// first tap alone would, and the next tap works as it should.
TEST_P(ImpatientInputWindowTest, ImpatientTapsLeaveTheScreensWhereOneTapWould) {
    Camera1Data& record = app->settings().record();
    fillRoll(app->screenLayout().albumColumns() + 1);  // two rows of tiles
    struct Case {
        const char* what;
        std::function<void()> act;
        std::function<void()> expect;
    };
    const int ratio = record.ratio();
    const std::vector<Case> cases{
        {"a row that opens a chooser, tapped twice",
         [&] {
             key(Qt::Key_S);
             settle();
             if (const auto row = elementNamed("Photo Ratio")) doubleTapAt(*row);
         },
         [&] {
             ASSERT_EQ(settingsStack().depth(), 2u);
             EXPECT_EQ(&settingsStack().topViewController(),
                       static_cast<ViewController*>(app->settingsScreen().ratioController()));
             EXPECT_EQ(record.ratio(), ratio) << "the second tap chose a ratio";
         }},
        {"back, tapped twice, three screens deep",
         [&] {
             record.setMode(Camera1Data::kTimer);
             key(Qt::Key_S);
             settle();
             if (const auto row = elementNamed("Active Hours")) tapAt(*row);
             settle();
             if (const auto row = elementNamed("Between Set Hours")) tapAt(*row);
             settle();
             if (const auto row = elementNamed("From:")) tapAt(*row);
             settle();
             ASSERT_EQ(settingsStack().depth(), 3u);
             doubleTapAt(backButton());
         },
         [&] {
             ASSERT_EQ(&app->topController(), &settingsStack());
             EXPECT_EQ(settingsStack().depth(), 2u);
             EXPECT_EQ(&settingsStack().topViewController(),
                       static_cast<ViewController*>(app->settingsScreen().activeHoursController()));
         }},
        {"a photo, tapped twice",
         [&] {
             key(Qt::Key_A);
             settle();
             doubleTapAt(tile(0));
         },
         [&] { EXPECT_EQ(app->albumNavigation().depth(), 2u); }},
        {"two photos, one tapped after the other",
         [&] {
             key(Qt::Key_A);
             settle();
             window->screenshot();
             tapAt(tile(0));
             loop.advance(0.05);
             tapAt(tile(1));
         },
         [&] {
             ASSERT_TRUE(app->albumShown());
             EXPECT_EQ(app->albumNavigation().depth(), 2u) << "a photo opened over a photo";
             tapAt(backButton());
             settle();
             EXPECT_EQ(app->albumNavigation().depth(), 1u);
             EXPECT_EQ(&app->albumNavigation().topViewController(), &app->album());
         }},
        {"a photo tapped, then Done",
         [&] {
             key(Qt::Key_A);
             settle();
             window->screenshot();
             tapAt(tile(0));
             key(Qt::Key_Escape);
         },
         [&] {
             ASSERT_TRUE(cameraShown());
             key(Qt::Key_A);
             settle();
             ASSERT_TRUE(app->albumShown());
             EXPECT_EQ(app->albumNavigation().depth(), 1u) << "the photo opened behind the camera";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        settle();
        c.expect();
        backToCamera();
        record.setMode(Camera1Data::kStandard);
        EXPECT_TRUE(app->camera().isLive());
    }
}

// Input that comes as a screen opens, at the same moment of the run loop's
// time: the shutter (tapped, or its key) as the settings open, the album's
// and the mode's keys, a list dragged as it is pushed or presented. Nothing is
// taken or changed behind the new screen, it opens once, and a drag on it
// scrolls it.
TEST_P(ImpatientInputWindowTest, InputAsAScreenOpensGoesToThatScreenOrNowhere) {
    Camera1Data& record = app->settings().record();
    fillRoll(40);
    bar().settingsButton().press();
    settle();
    const std::vector<std::string> settings = settingsShown();
    backToCamera();
    const int pictures = camera.picturesTaken();
    const int mode = record.mode();
    const int ratio = record.ratio();
    struct Case {
        const char* what;
        std::function<void()> act;
        std::function<void()> expect;
    };
    const std::vector<Case> cases{
        {"the shutter as the settings open",
         [&] {
             const Point shutter = middleOnScreen(bar().shutterButton());
             tapAt(middleOnScreen(bar().settingsButton()));
             tapAt(shutter);
             key(Qt::Key_Space);
             key(Qt::Key_A);
             key(Qt::Key_M);
         },
         [&] {
             ASSERT_EQ(&app->topController(), &settingsStack());
             EXPECT_EQ(settingsStack().depth(), 1u);
             EXPECT_FALSE(app->albumShown());
             EXPECT_EQ(record.mode(), mode);
             EXPECT_EQ(settingsShown(), settings);
         }},
        {"a chooser dragged as it is pushed",
         [&] {
             tapRatioRow();
             dragUp();
         },
         [&] {
             ASSERT_EQ(settingsStack().depth(), 2u);
             EXPECT_EQ(record.ratio(), ratio) << "the drag chose a ratio";
             auto* chooser = app->settingsScreen().ratioController();
             ASSERT_NE(chooser, nullptr);
             EXPECT_GT(chooser->tableView().layout().offset(), 0) << "the drag was lost";
         }},
        {"a chooser's row held while the wheel scrolls it away",
         [&] {
             tapRatioRow();
             settle();
             // The first row whole below the bar, wherever the list was left.
             std::optional<Point> held;
             window->screenshot();
             for (const auto& element : window->renderer().accessibleElements())
                 if (!held && element.kind == gui::ScreenRenderer::Element::Kind::kRow &&
                     element.rect.top() >= 44)
                     held = Point{static_cast<float>(element.rect.center().x()),
                                  static_cast<float>(element.rect.center().y())};
             ASSERT_TRUE(held);
             QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                               toQPoint(*held));
             for (int i = 0; i < 12; ++i) {
                 QWheelEvent wheel(QPointF(toQPoint(*held)), window->mapToGlobal(QPointF(toQPoint(*held))),
                                   QPoint(), QPoint(0, -120), Qt::LeftButton, Qt::NoModifier,
                                   Qt::NoScrollPhase, false);
                 QCoreApplication::sendEvent(window.get(), &wheel);
                 window->screenshot();  // drawn: rows scrolled away give their cells back
             }
             QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                                 toQPoint(*held));
         },
         [&] {
             ASSERT_EQ(settingsStack().depth(), 2u);
             EXPECT_EQ(record.ratio(), ratio) << "the lifted button chose the row scrolled under it";
         }},
        {"the album dragged as it opens",
         [&] {
             key(Qt::Key_A);
             dragUp();
         },
         [&] {
             ASSERT_TRUE(app->albumShown());
             EXPECT_EQ(app->albumNavigation().depth(), 1u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        settle();
        c.expect();
        backToCamera();
        EXPECT_EQ(camera.picturesTaken(), pictures) << "a picture was taken behind the screen";
        EXPECT_TRUE(app->camera().isLive());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, ImpatientInputWindowTest, transitionShapes(), transitionShapeName);

}  // namespace
}  // namespace kestrel
