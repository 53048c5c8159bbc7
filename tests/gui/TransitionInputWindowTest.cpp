#include "core/app/KestrelApp.h"
#include "core/library/ImageTileCell.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/settingsui/RatioController.h"
#include "core/ui/AlertView.h"
#include "core/ui/AnimationBlock.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/CameraWaits.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QPointingDevice>
#include <QTest>
#include <QTimer>
#include <QTouchEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

QPointingDevice* touchScreen() {
    static QPointingDevice* device =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

QPoint toQPoint(Point p) { return QPoint(static_cast<int>(p.x), static_cast<int>(p.y)); }

// The middle of a view on the screen (one point, one pixel of the window).
Point middleOnScreen(const View& view) {
    Point p{view.frame().width / 2, view.frame().height / 2};
    for (const View* v = &view; v; v = v->superview())
        p = v->toSuperview(p);
    return p;
}

// Counts the window's paints, and when (the run loop's time) the last one was.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(const RunLoop& loop) : loop_(&loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPaint = RunLoop::toSeconds(loop_->now());
        }
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
    double lastPaint = -1;

private:
    const RunLoop* loop_;
};

struct WindowSize {
    int width;
    int height;
};

// How the second tap of a double tap comes: the mouse's double-click as Qt
// sends it, or a touch screen's two quick taps.
enum class Input { kDoubleClick, kDoubleTap };

void PrintTo(const WindowSize& size, std::ostream* out) {
    *out << size.width << "x" << size.height;
}
void PrintTo(Input input, std::ostream* out) {
    *out << (input == Input::kDoubleClick ? "double-click" : "double tap");
}

// Input that lands while the screen changes under it: the second tap of a
// double-click on a button that opens or closes a screen, a key pressed as
// the settings close or with a finger held down, and the review sliding in
// after a shot. The window
// is shown on Qt's offscreen platform, over the simulated camera on virtual
// time; Qt's events are synthetic (QTest).
class TransitionInputWindowTest : public ::testing::TestWithParam<std::tuple<WindowSize, Input>> {
protected:
    TransitionInputWindowTest() : watch(loop) {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        Camera1Data& record = app->settings().record();
        record.setMode(Camera1Data::kStandard);
        record.setAutoSave(false);
        record.setFullScreenShutter(true);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        const WindowSize size = std::get<0>(GetParam());
        window->resize(size.width, size.height);
        window->installEventFilter(&watch);
        app->start();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }
    ~TransitionInputWindowTest() override {
        window.reset();
        AlertView::clearPending();
    }

    // Two virtual seconds with the other threads' posts and the window's events.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            loop.advance(0.1);
            while (loop.waitForPosts(20ms))
                loop.runUntilIdle();
            QCoreApplication::processEvents();
        }
    }
    // The window's next animation frame: Qt's events until it has painted
    // (its frame timer is short), at most a second of them.
    void nextFrame() {
        const int before = watch.paints;
        QTimer bound;
        bound.setSingleShot(true);
        bound.start(1000);
        while (watch.paints == before && bound.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // A double-click or a double tap at a point, as GetParam() says.
    void doubleTapAt(Point at) {
        const QPoint point = toQPoint(at);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
        } else {
            for (int i = 0; i < 2; ++i) {
                QTest::touchEvent(window.get(), touchScreen()).press(0, point);
                QTest::touchEvent(window.get(), touchScreen()).release(0, point);
            }
        }
    }
    // The screen as drawn, kept where $KESTREL_SCREENSHOTS says.
    void keep(const std::string& name) {
        const QImage shot = window->screenshot();
        ASSERT_FALSE(shot.isNull());
        if (const char* folder = std::getenv("KESTREL_SCREENSHOTS"); folder && *folder) {
            const WindowSize size = std::get<0>(GetParam());
            std::filesystem::create_directories(folder);
            EXPECT_TRUE(shot.save(QString::fromStdString(
                std::string(folder) + "/transition-" + name + "-" + std::to_string(size.width) +
                "x" + std::to_string(size.height) + ".png")));
        }
    }
    void key(int which) { QTest::keyClick(window.get(), static_cast<Qt::Key>(which)); }
    CameraToolbar& bar() { return *app->cameraViews().toolBar; }
    bool cameraShown() { return &app->topController() == &app->root().cameraScreen(); }
    // What the settings screen shows: each control's name, value and state.
    std::vector<std::string> settingsShown() {
        window->screenshot();  // lays the rows out
        std::vector<std::string> shown;
        for (const auto& element : window->renderer().accessibleElements())
            shown.push_back(element.name + "=" + element.value + (element.checked ? "+" : "-"));
        return shown;
    }
    Point doneButton() { return Point{static_cast<float>(std::get<0>(GetParam()).width) - 30, 22}; }
    // The photos saved in the roll.
    std::vector<std::filesystem::path> photos() {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "DCIM"))
            if (entry.path().extension() == ".JPG" &&
                entry.path().string().find(".MISC") == std::string::npos)
                found.push_back(entry.path());
        return found;
    }
    // Photos in the roll: copies of one shot and its thumbnail, enough to fill the album's screen.
    void fillRoll(int count) {
        bar().shutterButton().press();
        loop.advance(SimulatedCamera::kShutterLag + 0.1);
        ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
        settle();
        bar().useButton().press();
        ASSERT_TRUE(test::awaitPhotos(loop, app->camera()));  // saved, its completion run
        settle();
        const auto shot = photos();
        ASSERT_EQ(shot.size(), 1u);
        const std::filesystem::path folder = shot[0].parent_path();
        const std::filesystem::path thumbnail =
            folder / ".MISC" / shot[0].filename().replace_extension(".THM");
        ASSERT_TRUE(std::filesystem::exists(thumbnail));
        for (int i = 2; i <= count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "IMG_%04d", i);
            std::filesystem::copy_file(shot[0], folder / (std::string(name) + ".JPG"));
            std::filesystem::copy_file(thumbnail, folder / ".MISC" / (std::string(name) + ".THM"));
        }
    }

    // A tap at a point, by the mouse or a finger as GetParam() says.
    void tapAt(Point at) {
        const QPoint point = toQPoint(at);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
        } else {
            QTest::touchEvent(window.get(), touchScreen()).press(0, point);
            QTest::touchEvent(window.get(), touchScreen()).release(0, point);
        }
    }
    // A finger (or the mouse) drawn up the screen from 80 % of its height to 30 %.
    void dragUp() {
        const WindowSize size = std::get<0>(GetParam());
        const QPoint from(size.width / 2, size.height * 8 / 10);
        const QPoint to(size.width / 2, size.height * 3 / 10);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, from);
            for (int step = 1; step <= 4; ++step)
                QTest::mouseMove(window->windowHandle(), from + (to - from) * step / 4);
            QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, to);
        } else {
            QTest::touchEvent(window.get(), touchScreen()).press(0, from);
            for (int step = 1; step <= 4; ++step)
                QTest::touchEvent(window.get(), touchScreen()).move(0, from + (to - from) * step / 4);
            QTest::touchEvent(window.get(), touchScreen()).release(0, to);
        }
    }
    // The middle of the element whose name begins with `name` (the screen
    // drawn first, which lays its rows out), scrolled up into the window
    // when it lies below.
    std::optional<Point> elementNamed(const std::string& name) {
        for (int i = 0; i < 10; ++i) {
            window->screenshot();
            const WindowSize size = std::get<0>(GetParam());
            for (const auto& element : window->renderer().accessibleElements())
                if (element.name.starts_with(name) && element.rect.top() >= 44 &&
                    element.rect.bottom() <= size.height)
                    return Point{static_cast<float>(element.rect.center().x()),
                                 static_cast<float>(element.rect.center().y())};
            const auto x = static_cast<float>(size.width) / 2;
            const auto height = static_cast<float>(size.height);
            window->drag(Point{x, height * 0.8f}, Point{x, height * 0.5f});
        }
        ADD_FAILURE() << "no " << name << " on the screen";
        return std::nullopt;
    }
    Point backButton() { return Point{20, 22}; }
    // The first tile of the album's row `row`, the album at its top.
    Point tile(int row) {
        const float width = static_cast<float>(std::get<0>(GetParam()).width);
        const float columns = static_cast<float>(app->screenLayout().albumColumns());
        return Point{std::floor((width - ImageTileCell::kTileWidth * columns) / 2) + 40,
                     44 + ImageTileCell::kTileWidth * static_cast<float>(row) + 40};
    }
    // Done, or Escape, until the camera shows again.
    void backToCamera() {
        for (int i = 0; i < 4 && !cameraShown(); ++i) {
            key(Qt::Key_Escape);
            settle();
        }
        ASSERT_TRUE(cameraShown());
    }
    NavigationController& settingsStack() { return app->settingsNavigation(); }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    PaintWatch watch;
    std::unique_ptr<gui::KestrelWindow> window;
};

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

// What an impatient user does to a screen that opens another: the row,
// the photo or the back button tapped twice, two photos one after the
// other, a photo and at once Done. Each leaves the screens where the
// first tap alone would, and the next tap works as it should.
TEST_P(TransitionInputWindowTest, ImpatientTapsLeaveTheScreensWhereOneTapWould) {
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
TEST_P(TransitionInputWindowTest, InputAsAScreenOpensGoesToThatScreenOrNowhere) {
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
             key(Qt::Key_S);
             settle();
             const auto row = elementNamed("Photo Ratio");
             ASSERT_TRUE(row);
             tapAt(*row);
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
             key(Qt::Key_S);
             settle();
             const auto row = elementNamed("Photo Ratio");
             ASSERT_TRUE(row);
             tapAt(*row);
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

INSTANTIATE_TEST_SUITE_P(
    Windows, TransitionInputWindowTest,
    // Each shape with the input its device has: a laptop's mouse, a phone's
    // touch screen (the two 320 and 360 wide columns).
    ::testing::Values(std::tuple{WindowSize{320, 480}, Input::kDoubleTap},
                      std::tuple{WindowSize{1280, 720}, Input::kDoubleClick},
                      std::tuple{WindowSize{360, 720}, Input::kDoubleTap}),
    [](const ::testing::TestParamInfo<std::tuple<WindowSize, Input>>& shape) {
        const WindowSize size = std::get<0>(shape.param);
        return std::to_string(size.width) + "x" + std::to_string(size.height) +
               (std::get<1>(shape.param) == Input::kDoubleClick ? "_DoubleClick" : "_DoubleTap");
    });

}  // namespace
}  // namespace kestrel
