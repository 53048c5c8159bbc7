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

// The seven bars, shown whole and mirrored (a camera that may face its user):
// blue at the left, green in the middle, white at the right, along row `y`;
// black above and below the frame (the window's shape is not the frame's).
void expectAllBarsMirrored(const QImage& shot, int y, int above, int below) {
    auto at = [&](double fraction) {
        return shot.pixelColor(static_cast<int>((shot.width() - 1) * fraction), y);
    };
    EXPECT_GT(at(0.03).blue(), 150);
    EXPECT_LT(at(0.03).green(), 60);
    EXPECT_GT(at(0.5).green(), 150);
    EXPECT_LT(at(0.5).red(), 60);
    EXPECT_LT(at(0.5).blue(), 60);
    EXPECT_GT(at(0.97).red(), 150);
    EXPECT_GT(at(0.97).green(), 150);
    EXPECT_GT(at(0.97).blue(), 150);
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, above), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, below), QColor(Qt::black));
    int blended = 0;
    for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        for (int channel : {c.red(), c.green(), c.blue()})
            if (channel > 60 && channel < 150) {
                ++blended;
                break;
            }
    }
    EXPECT_LE(blended, 8);
}

// The window over a real GStreamer camera: the live view shows the source's
// own picture, scaling just the part it shows from frames up to twice its
// size, and copying frames the camera scaled for it from larger sources.
TEST(LiveViewWindowTest, TheWindowShowsTheSourcesPictureWhateverSizeItsFramesCome) {
    test::qtApplication();
    test::TempDir dir;
    ManualRunLoop loop;
    // Seven colour bars across a 16:9 source; a portrait window shows them all.
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
    app.start();
    loop.advance(0.5);
    // The preview's own pixels: no ratio mask darkening the picture's edges
    // (on a live view not of the ratio's shape it does).
    app.cameraViews().overlay->setShowBorder(false);
    // Paints (each tells the camera the live view's size) until the frames
    // come at `width` x `height`; answers the window as it then looks.
    auto shownWith = [&](int width, int height) {
        for (int i = 0; i < 200; ++i) {
            const QImage shot = window.grab().toImage();
            const Image frame = camera.previewFrame();
            if (frame.width() == width && frame.height() == height) return window.grab().toImage();
            if (loop.waitForPosts(10ms)) loop.runUntilIdle();
        }
        ADD_FAILURE() << "frames of " << camera.previewFrame().width() << " x "
                      << camera.previewFrame().height() << ", not " << width << " x " << height;
        return QImage();
    };
    const char* kept = std::getenv("KESTREL_SCREENSHOTS");

    // A 400 x 600 window: a live view of 400 x 547 points (all but the
    // toolbar's row), which shows the whole 16:9 frame at 400 x 225 from
    // y = 161, under half the source's size: the camera scales the frames to
    // that size, and the window copies them.
    window.resize(400, 600);
    const QImage large = shownWith(400, 225);
    ASSERT_FALSE(large.isNull());
    if (kept && *kept) large.save(QString(kept) + "/live-view.png");
    expectAllBarsMirrored(large, 273, 100, 450);

    // In the smallest window, 240 x 360, the picture area is 240 x 307 and
    // the frame is shown at 240 x 135 from y = 86.
    window.resize(240, 360);
    const QImage small = shownWith(240, 135);
    ASSERT_FALSE(small.isNull());
    if (kept && *kept) small.save(QString(kept) + "/live-view-small.png");
    expectAllBarsMirrored(small, 153, 40, 280);
    AlertView::clearPending();
}

}  // namespace
}  // namespace kestrel
