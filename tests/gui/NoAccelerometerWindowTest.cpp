#include "core/app/KestrelApp.h"
#include "core/camera/CameraHoverView.h"
#include "core/modes/CameraStabilizerHandler.h"
#include "core/platform/AbsentAccelerometer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/WindowSize.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

namespace kestrel {
namespace {

using test::WindowSize;
using test::sizeName;

// Where a view lies in the window: its frame moved by every superview's.
Rect inWindow(const View& view) {
    Rect r = view.frame();
    for (const View* up = view.superview(); up; up = up->superview()) {
        r.x += up->frame().x;
        r.y += up->frame().y;
    }
    return r;
}

// A laptop's window: no accelerometer, the simulated camera, virtual time.
class NoAccelerometerWindowTest : public ::testing::TestWithParam<WindowSize> {
protected:
    NoAccelerometerWindowTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, none, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kMoving);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(GetParam().width, GetParam().height);
        app->start();
        loop.advance(0.5);
        window->screenshot();  // the first paint lays the screens out for the window
    }
    ~NoAccelerometerWindowTest() override { AlertView::clearPending(); }

    void pressSpace() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &release);
    }
    // The window as it looks, kept as PNG where someone will look.
    QImage screenshot(const std::string& what) {
        QImage shot = window->screenshot(1.0);
        EXPECT_EQ(shot.width(), GetParam().width);
        EXPECT_EQ(shot.height(), GetParam().height);
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(
                shot.save(QString::fromStdString(std::string(kept) + "/no-accelerometer-" + what +
                                                 "-" + sizeName(GetParam()) + ".png")));
        }
        return shot;
    }
    // Whether the label's text is drawn whole: white pixels inside its
    // frame, none of the "…" that ends a cut text (the text's own width is
    // within the frame).
    static int whitePixels(const QImage& shot, const Rect& r) {
        int white = 0;
        for (int y = static_cast<int>(r.y); y < static_cast<int>(r.y + r.height); ++y)
            for (int x = static_cast<int>(r.x); x < static_cast<int>(r.x + r.width); ++x) {
                const QColor c = shot.pixelColor(x, y);
                white += c.red() > 230 && c.green() > 230 && c.blue() > 230;
            }
        return white;
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop};
    AbsentAccelerometer none;
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

// Moving cannot work without an accelerometer: the camera screen says so in
// a line that fits the window, and a press senses nothing: no panel, no
// pause button, no picture.
TEST_P(NoAccelerometerWindowTest, MovingSaysItNeedsAnAccelerometerAndAPressSensesNothing) {
    const CameraViewManager& views = app->cameraViews();
    const Label& label = *views.saveLabel;
    ASSERT_FALSE(label.hidden());
    EXPECT_EQ(label.text(), "Moving needs an accelerometer");
    pressSpace();
    loop.advance(2.0);
    EXPECT_EQ(app->camera().handler()->state(), CameraHandler::kIdle);
    EXPECT_TRUE(views.sensorView->hidden());
    EXPECT_EQ(views.toolBar->shutterButton().currentImage(), "camera.png");
    EXPECT_FALSE(label.hidden());
    EXPECT_EQ(camera.picturesTaken(), 0);

    const QImage shot = screenshot("moving");
    const Rect r = inWindow(label);
    EXPECT_GE(r.x, 0);
    EXPECT_GE(r.y, 0);
    EXPECT_LE(r.x + r.width, static_cast<float>(GetParam().width));
    EXPECT_LE(r.y + r.height, static_cast<float>(GetParam().height));
    EXPECT_GT(whitePixels(shot, r), 100);  // the text is drawn
    // Whole, not cut with "…": the line in the label's font fits its width.
    QFont font(QString::fromUtf8(label.font().family));
    font.setPixelSize(static_cast<int>(label.font().size));
    font.setBold(label.font().bold);
    EXPECT_LT(QFontMetricsF(font).horizontalAdvance(QString::fromStdString(label.text())), r.width);
}

// The stabilizer on a laptop senses from the picture: the sensing panel and
// its level bar show as with an accelerometer, then the picture is taken.
TEST_P(NoAccelerometerWindowTest, StabilizingShowsItsSensingPanelThenShoots) {
    app->settings().record().setMode(Camera1Data::kStabilizing);
    app->camera().reset();
    loop.advance(0.5);
    const CameraViewManager& views = app->cameraViews();
    EXPECT_TRUE(views.saveLabel->hidden());
    pressSpace();
    loop.advance(0.5);
    EXPECT_EQ(app->camera().handler()->state(), CameraHandler::kSensing);
    EXPECT_FALSE(views.sensorView->hidden());
    EXPECT_EQ(views.toolBar->shutterButton().currentImage(), "pause.png");
    screenshot("stabilizing");
    loop.advance(1.5);
    EXPECT_EQ(camera.picturesTaken(), 1);
}

INSTANTIATE_TEST_SUITE_P(Windows, NoAccelerometerWindowTest,
                         ::testing::Values(WindowSize{320, 480}, WindowSize{1280, 720},
                                           WindowSize{360, 720}),
                         [](const ::testing::TestParamInfo<WindowSize>& param) {
                             return sizeName(param.param);
                         });

}  // namespace
}  // namespace kestrel
