#include "core/app/KestrelApp.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "core/ui/AnimationBlock.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

// Counts the window's paint events.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
};

// The window, shown (on Qt's offscreen platform), over the simulated camera
// on virtual time.
class WindowRedrawTest : public ::testing::Test {
protected:
    WindowRedrawTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(true);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(320, 480);
        window->installEventFilter(&counter);
        app->start();
        window->show();
        settle();
    }
    ~WindowRedrawTest() override {
        window.reset();
        AlertView::clearPending();
    }

    // Qt's events now, without waiting for any.
    static void processEvents() { QCoreApplication::processEvents(); }
    // Two virtual seconds with the posts of other threads (saves,
    // thumbnails) and the window's events: animations end, panels fade.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            loop.advance(0.1);
            while (loop.waitForPosts(20ms))
                loop.runUntilIdle();
            processEvents();
        }
    }
    // The paints over ten virtual seconds of the run loop, then 150 ms of
    // Qt's own timers on the wall clock.
    int paintsOverAStretch() {
        const int before = counter.paints;
        for (int i = 0; i < 100; ++i) {
            loop.advance(0.1);
            processEvents();
        }
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < 150)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return counter.paints - before;
    }
    void shoot() {
        app->cameraViews().toolBar->shutterButton().press();
        loop.advance(0.5);
        ASSERT_TRUE(loop.waitForPosts(60s));
        loop.runUntilIdle();
        settle();
    }
    NavigationController& navigation() {
        return dynamic_cast<NavigationController&>(app->topController());
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    PaintCounter counter;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_F(WindowRedrawTest, StillScreensAreNotDrawnAgainAndAChangeIsDrawnOnce) {
    ASSERT_GT(counter.paints, 0);  // shown: drawn
    shoot();
    shoot();
    const auto done = [&] { window->tap(Point{300, 22}); };
    const struct {
        const char* screen;
        std::function<void()> open;
        std::function<void()> close;
    } screens[] = {
        {"settings", [&] { app->cameraViews().toolBar->settingsButton().press(); }, done},
        {"album", [&] { app->cameraViews().toolBar->albumButton().press(); }, done},
        {"viewer",
         [&] {
             app->cameraViews().toolBar->albumButton().press();
             settle();
             window->tap(Point{40, 44 + 40});  // the first tile
         },
         [&] {
             EXPECT_EQ(navigation().depth(), 2u);  // it was the viewer
             window->tap(Point{30, 22});           // back to the album
             settle();
             done();
         }},
    };
    for (const auto& s : screens) {
        SCOPED_TRACE(s.screen);
        s.open();
        settle();
        ASSERT_NE(&app->topController(), &app->root().cameraScreen());
        EXPECT_EQ(paintsOverAStretch(), 0);
        // A change of the screen: drawn, once.
        const int before = counter.paints;
        navigation().topViewController().setTitle("Changed");
        navigation().topViewController().setTitle(std::string("Changed ") + s.screen);
        processEvents();
        EXPECT_EQ(counter.paints - before, 1);
        EXPECT_EQ(paintsOverAStretch(), 0);
        // Back to the camera.
        s.close();
        settle();
        ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
    }
}

TEST_F(WindowRedrawTest, TheLiveViewIsDrawnOncePerCameraFrame) {
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
    const int before = counter.paints;
    // A second of the simulated camera's frames, the loop looked at four times a frame.
    for (int i = 0; i < 120; ++i) {
        loop.advance(1.0 / 120);
        processEvents();
    }
    const int paints = counter.paints - before;
    EXPECT_GE(paints, SimulatedCamera::kFrameRate - 1);
    EXPECT_LE(paints, SimulatedCamera::kFrameRate + 1);
}

TEST_F(WindowRedrawTest, AnAnimationIsDrawnUntilItEndsAndNoLonger) {
    app->cameraViews().toolBar->settingsButton().press();
    settle();
    auto box = std::make_shared<View>(Rect{0, 0, 50, 50});
    box->setBackgroundColor(Color{1, 0, 0, 1});
    navigation().topViewController().view().addSubview(box);
    settle();
    // A plain view animation: three quarters of a second of the loop's time.
    AnimationBlock::animate(box.get(), true, 1, [&] { box->setFrame(Rect{100, 100, 50, 50}); });
    processEvents();
    const int before = counter.paints;
    QElapsedTimer wall;
    wall.start();
    // The loop's time stands still: the animation has not ended, frames go on.
    while (wall.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(counter.paints - before, 2);
    settle();  // past its end
    EXPECT_EQ(paintsOverAStretch(), 0);
}

}  // namespace
}  // namespace kestrel
