#include "core/app/KestrelApp.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "core/ui/Switch.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QPointingDevice>
#include <QTest>
#include <QTouchEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace kestrel {
namespace {

// A phone's touch screen, as Qt's tests make one.
QPointingDevice* touchScreen() {
    static QPointingDevice* device =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

QPoint toQPoint(Point p) { return QPoint(static_cast<int>(p.x), static_cast<int>(p.y)); }

// The middle of a view on the screen (the window's coordinates: one point, one pixel).
Point middleOnScreen(const View& view) {
    Point p{view.frame().width / 2, view.frame().height / 2};
    for (const View* v = &view; v; v = v->superview())
        p = v->toSuperview(p);
    return p;
}

struct WindowSize {
    int width;
    int height;
};

// The window on a touch screen, in windows of several shapes; the
// simulated camera on virtual time, with the full-screen shutter and the
// digital zoom on.
class TouchWindowTest : public ::testing::TestWithParam<WindowSize> {
protected:
    TouchWindowTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        Camera1Data& record = app->settings().record();
        record.setMode(Camera1Data::kStandard);
        record.setFullScreenShutter(true);
        record.setDigitalZoom(true);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(GetParam().width, GetParam().height);
        app->start();
        window->show();
        // Touches go to the window Qt has exposed (offscreen: at once, the wait bounded).
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }
    ~TouchWindowTest() override {
        window.reset();
        AlertView::clearPending();
    }
    void settle() {
        for (int i = 0; i < 10; ++i) {
            loop.advance(0.1);
            while (loop.waitForPosts(std::chrono::milliseconds(20)))
                loop.runUntilIdle();
            QCoreApplication::processEvents();
        }
    }
    QTest::QTouchEventWidgetSequence touch() {
        return QTest::touchEvent(window.get(), touchScreen());
    }
    Point pictureMiddle() { return middleOnScreen(*app->cameraViews().overlay); }
    float zoom() { return app->camera().zoom(); }
    const View& readout() { return *app->cameraViews().zoomView; }
    // The screen as drawn, kept where $KESTREL_SCREENSHOTS says.
    void keep(const std::string& name) {
        const QImage shot = window->screenshot();
        ASSERT_FALSE(shot.isNull());
        if (const char* folder = std::getenv("KESTREL_SCREENSHOTS"); folder && *folder) {
            std::filesystem::create_directories(folder);
            const std::string file = std::string(folder) + "/" + name + "-" +
                                     std::to_string(GetParam().width) + "x" +
                                     std::to_string(GetParam().height) + ".png";
            EXPECT_TRUE(shot.save(QString::fromStdString(file)));
        }
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_P(TouchWindowTest, OneFingerTapsAsTheMouseDoesOnceNotTwice) {
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
    // A tap on the picture: the full-screen shutter, one picture.
    const QPoint middle = toQPoint(pictureMiddle());
    touch().press(0, middle);
    touch().release(0, middle);
    loop.advance(SimulatedCamera::kShutterLag + 0.1);
    EXPECT_EQ(camera.picturesTaken(), 1);  // shown for review
    settle();

    // A switch of the settings turns once for a tap (twice if Qt's mouse came too).
    app->cameraViews().toolBar->settingsButton().press();
    settle();
    window->screenshot();  // lays the rows out
    window->accessibleScreen().refresh();
    std::optional<gui::ScreenRenderer::Element> toggle;
    for (const auto& element : window->renderer().accessibleElements())
        if (element.kind == gui::ScreenRenderer::Element::Kind::kSwitch) {
            toggle = element;
            break;
        }
    ASSERT_TRUE(toggle);
    const QPoint at = toggle->rect.center().toPoint();
    touch().press(0, at);
    touch().release(0, at);
    bool on = false;
    for (const auto& element : window->renderer().accessibleElements())
        if (element.key == toggle->key) on = element.checked;
    EXPECT_NE(on, toggle->checked);
}

TEST_P(TouchWindowTest, TwoFingersPinchTheZoomWithTheReadOutAndNeverShoot) {
    const Point middle = pictureMiddle();
    const auto at = [&](float dx) { return toQPoint(Point{middle.x + dx, middle.y}); };
    touch().press(0, at(-40));
    touch().stationary(0).press(1, at(40));
    touch().move(0, at(-60)).move(1, at(60));  // 120 points apart of 80: 1.5×
    EXPECT_FLOAT_EQ(zoom(), 1.5f);
    touch().move(0, at(-80)).move(1, at(80));  // twice as far apart: 2×
    EXPECT_FLOAT_EQ(zoom(), 2.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(camera.previewScale()), 2.0f);
    EXPECT_FALSE(readout().hidden());
    EXPECT_DOUBLE_EQ(readout().alpha(), 1.0);
    EXPECT_EQ(app->cameraViews().zoomView->label().text(), "2.0X");
    keep("pinch-2x");
    // Past 4×: held there.
    touch().move(0, at(-300)).move(1, at(300));
    EXPECT_FLOAT_EQ(zoom(), 4.0f);
    keep("pinch-4x");
    touch().release(0, at(-300)).stationary(1);
    touch().release(1, at(300));
    settle();
    EXPECT_FLOAT_EQ(zoom(), 4.0f);
    EXPECT_DOUBLE_EQ(readout().alpha(), 0.0);  // faded as after a drag
    EXPECT_EQ(camera.picturesTaken(), 0);      // two fingers are never the full-screen shutter

    // Two fingers that land together pinch just the same.
    touch().press(0, at(-80)).press(1, at(80));
    touch().move(0, at(-40)).move(1, at(40));
    EXPECT_FLOAT_EQ(zoom(), 2.0f);
    touch().release(0, at(-40)).release(1, at(40));
    settle();
    EXPECT_EQ(camera.picturesTaken(), 0);
}

TEST_P(TouchWindowTest, ATouchTheSystemCancelsFiresNothingAndLeavesTheZoom) {
    const Point middle = pictureMiddle();
    const auto at = [&](float dx) { return toQPoint(Point{middle.x + dx, middle.y}); };
    const auto cancelTouches = [&] {
        QTouchEvent cancel(QEvent::TouchCancel, touchScreen());
        QApplication::sendEvent(window.get(), &cancel);
    };
    // A pinch cancelled halfway: the zoom it reached stays, the read-out goes.
    touch().press(0, at(-40)).press(1, at(40));
    touch().move(0, at(-60)).move(1, at(60));
    ASSERT_FLOAT_EQ(zoom(), 1.5f);
    cancelTouches();
    settle();
    EXPECT_FLOAT_EQ(zoom(), 1.5f);
    EXPECT_DOUBLE_EQ(readout().alpha(), 0.0);
    // One finger cancelled: no tap, no shutter.
    touch().press(0, at(0));
    cancelTouches();
    settle();
    EXPECT_EQ(camera.picturesTaken(), 0);
    EXPECT_FLOAT_EQ(zoom(), 1.5f);
    // After a cancellation the next touch is a touch again, from its first
    // finger: a tap is the full-screen shutter. (Double taps count by the
    // touches' times: the touch sequence's own test, on given times.)
    touch().press(0, at(0));
    touch().release(0, at(0));
    loop.advance(SimulatedCamera::kShutterLag + 0.1);
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_FLOAT_EQ(zoom(), 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Windows, TouchWindowTest,
                         ::testing::Values(WindowSize{320, 480}, WindowSize{1280, 720},
                                           WindowSize{360, 720}),
                         [](const ::testing::TestParamInfo<WindowSize>& size) {
                             return std::to_string(size.param.width) + "x" +
                                    std::to_string(size.param.height);
                         });

}  // namespace
}  // namespace kestrel
