#include "adapters/gst/GstCameraPicker.h"
#include "core/app/KestrelApp.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace kestrel {
namespace {

using namespace std::chrono_literals;

// The window over a real GStreamer camera: the live view asks the camera for
// frames at the size it draws them and shows the source's own picture.
TEST(LiveViewWindowTest, TheWindowShowsTheSourcesFramesAtTheSizeItDrawsThem) {
    test::qtApplication();
    test::TempDir dir;
    ManualRunLoop loop;
    // Seven colour bars across a 16:9 source; a portrait window shows the middle three.
    GstCameraPicker camera(loop, {CameraSource{"videotestsrc pattern=smpte ! "
                                               "video/x-raw,width=1280,height=720",
                                               "gst", "bars", CameraSource::Facing::kUnknown, -1}});
    ASSERT_TRUE(camera.start()) << camera.problem().value_or("");
    SimulatedAccelerometer accelerometer = std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    KestrelApp app(KestrelApp::Ports{loop, camera, accelerometer, sounds,
                                     std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                   test::appOptions(dir.path()));
    gui::KestrelWindow window(app, &camera);
    window.resize(400, 600);  // the 320 x 480 screen at 1.25: the live view is 400 x 534 pixels
    app.start();
    loop.advance(0.5);

    QImage shot;
    bool sized = false;
    for (int i = 0; i < 200 && !sized; ++i) {
        shot = window.grab().toImage();  // each paint tells the camera the live view's size
        const Image frame = camera.previewFrame();
        sized = frame.width() == 949 && frame.height() == 534;
        if (!sized && loop.waitForPosts(10ms)) loop.runUntilIdle();
    }
    ASSERT_TRUE(sized) << camera.previewFrame().width() << " x " << camera.previewFrame().height();
    shot = window.grab().toImage();
    if (const char* kept = std::getenv("KESTREL_SCREENSHOTS"); kept && *kept)
        shot.save(QString(kept) + "/live-view.png");

    // The middle bars, copied pixel for pixel: cyan, green, magenta, and
    // across each boundary no more than one pixel of blend.
    auto at = [&](int x, int y) { return shot.pixelColor(x, y); };
    const int y = 150;
    EXPECT_GT(at(60, y).green(), 150);
    EXPECT_GT(at(60, y).blue(), 150);
    EXPECT_LT(at(60, y).red(), 60);
    EXPECT_GT(at(200, y).green(), 150);
    EXPECT_LT(at(200, y).red(), 60);
    EXPECT_LT(at(200, y).blue(), 60);
    EXPECT_GT(at(340, y).red(), 150);
    EXPECT_GT(at(340, y).blue(), 150);
    EXPECT_LT(at(340, y).green(), 60);
    int blended = 0;
    for (int x = 0; x < shot.width(); ++x) {
        const QColor c = at(x, y);
        for (int channel : {c.red(), c.green(), c.blue()})
            if (channel > 60 && channel < 150) {
                ++blended;
                break;
            }
    }
    EXPECT_LE(blended, 4);
    AlertView::clearPending();
}

}  // namespace
}  // namespace kestrel
