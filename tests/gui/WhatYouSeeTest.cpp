#include "core/app/KestrelApp.h"
#include "core/imaging/ImageResizer.h"
#include "core/imaging/Rotation.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "support/CameraWaits.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace kestrel {
namespace {

// A camera whose every pixel says where in its frame it lies: red grows
// across the frame as it is upright, green down it. Its stills are its
// frames as they lie; its live frames are turned by the mounting, as a
// camera's live view is.
class WhereCamera final : public CameraPicker {
public:
    WhereCamera(RunLoop& loop, int width, int height, int mount) : loop_(&loop), mount_(mount) {
        const bool sideways = mount % 180 != 0;
        const int w = sideways ? height : width, h = sideways ? width : height;  // upright
        Bitmap upright(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = upright.row(y) + 4 * x;
                p[2] = static_cast<std::uint8_t>(std::lround(255.0 * x / (w - 1)));
                p[1] = static_cast<std::uint8_t>(std::lround(255.0 * y / (h - 1)));
                p[0] = 0;
            }
        preview_ = Image(std::move(upright));
        // Stored as the sensor lies: turned back by the mounting.
        still_ = ImageResizer::colorMatch(
            preview_.withOrientation(Rotation::imageOrientation(Rotation::normalized(360 - mount))),
            Size{0, 0});
    }
    bool isSourceAvailable() const override { return true; }
    bool isCameraDeviceAvailable(Device d) const override { return d == Device::kRear; }
    bool isFlashAvailable(Device) const override { return false; }
    Device cameraDevice() const override { return Device::kRear; }
    void setCameraDevice(Device) override {}
    FlashMode flashMode() const override { return FlashMode::kOff; }
    void setFlashMode(FlashMode) override {}
    void takePicture(PictureHandler handler) override {
        loop_->post([handler = std::move(handler), still = still_] { handler(still); });
    }
    Image previewFrame() const override { return preview_; }
    void setPreviewScale(double scale) override { scale_ = scale; }
    double previewScale() const override { return scale_; }
    void setPreviewTranslation(Point) override {}
    Point previewTranslation() const override { return {}; }
    int mountRotation() const override { return mount_; }
    bool facesUser() const override { return false; }

private:
    RunLoop* loop_;
    int mount_;
    Image preview_;
    Image still_;
    double scale_ = 1;
};

struct Case {
    int windowWidth, windowHeight;
    int frameWidth, frameHeight, mount;
};

std::string nameOf(const Case& c) {
    return "window" + std::to_string(c.windowWidth) + "x" + std::to_string(c.windowHeight) +
           "mount" + std::to_string(c.mount);
}

// Where in the frame a pixel lies, as fractions across and down.
std::pair<double, double> where(std::uint8_t red, std::uint8_t green) {
    return {red / 255.0, green / 255.0};
}

class WhatYouSeeTest : public ::testing::TestWithParam<Case> {};

// What the live view shows inside the mask is what the photo holds: at the
// four corners of the part the mask leaves, the live view's pixels and the
// photo's name the same place of the frame, within a pixel or two of it,
// for the first three ratios and zoom 1 and 2.
TEST_P(WhatYouSeeTest, TheLiveViewInsideTheMaskShowsWhatThePhotoHolds) {
    const Case c = GetParam();
    test::qtApplication();
    test::TempDir dir;
    ManualRunLoop loop;
    WhereCamera camera(loop, c.frameWidth, c.frameHeight, c.mount);
    SimulatedAccelerometer steady = std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    KestrelApp app(KestrelApp::Ports{loop, camera, steady, sounds,
                                     std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                   test::appOptions(dir.path()));
    Camera1Data& record = app.settings().record();
    record.setMode(Camera1Data::kStandard);
    record.setAutoSave(false);
    record.setDigitalZoom(true);
    record.setFullSizePhoto(true);
    gui::KestrelWindow window(app, &camera);
    window.resize(c.windowWidth, c.windowHeight);
    app.start();
    loop.advance(0.5);
    window.screenshot(1.0);
    CameraControllerHelper& controller = app.camera();
    const CameraOverlayView& overlay = *app.cameraViews().overlay;
    const double tolerance = 2.5 / 255;  // a pixel or two of the frame, and the gradient's steps
    for (const int ratio : {0, 1, 2}) {
        for (const double zoom : {1.0, 2.0}) {
            SCOPED_TRACE(nameOf(c) + " ratio " + std::to_string(ratio) + " zoom " + std::to_string(zoom));
            record.setRatio(ratio);
            controller.zoomTo(zoom);
            const QImage shot = window.screenshot(1.0);
            const char* folder = std::getenv("KESTREL_SCREENSHOTS");
            if (folder && *folder)
                shot.save(QString::fromStdString(std::string(folder) + "/wysiwyg-" + nameOf(c) + "-ratio" +
                                                 std::to_string(ratio) + "-zoom" +
                                                 std::to_string(static_cast<int>(zoom)) + ".png"));
            // The kept part on the screen: moved by the overlay's frame and its superviews'.
            Rect inside = overlay.keptRect();
            for (const View* v = &overlay; v; v = v->superview()) {
                inside.x += v->frame().x;
                inside.y += v->frame().y;
            }
            controller.shutter();
            for (int i = 0; i < 100 && !controller.image(); ++i) {
                loop.runUntilIdle();
                loop.advance(0.05);
                ASSERT_TRUE(test::awaitProcessing(loop, controller));
            }
            ASSERT_TRUE(controller.image());
            const Image photo = ImageResizer::colorMatch(controller.image(), Size{0, 0});
            // The photo has the kept part's shape.
            EXPECT_NEAR(photo.size().width / photo.size().height, inside.width / inside.height, 0.02);
            const double inset = 3;  // points into the kept part, clear of its edges
            for (const auto& [fx, fy] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}}) {
                const double sx = inside.x + inset + fx * (inside.width - 2 * inset);
                const double sy = inside.y + inset + fy * (inside.height - 2 * inset);
                const QColor seen = shot.pixelColor(static_cast<int>(sx), static_cast<int>(sy));
                const double px = inset / inside.width + fx * (1 - 2 * inset / inside.width);
                const double py = inset / inside.height + fy * (1 - 2 * inset / inside.height);
                const std::uint8_t* kept = photo.bitmap().row(static_cast<int>(py * (photo.height() - 1))) +
                                           4 * static_cast<int>(px * (photo.width() - 1));
                const auto [liveX, liveY] = where(static_cast<std::uint8_t>(seen.red()),
                                                  static_cast<std::uint8_t>(seen.green()));
                const auto [photoX, photoY] = where(kept[2], kept[1]);
                EXPECT_NEAR(liveX, photoX, tolerance) << "corner " << fx << "," << fy;
                EXPECT_NEAR(liveY, photoY, tolerance) << "corner " << fx << "," << fy;
            }
            controller.retake();
            loop.advance(1.0);
        }
    }
    AlertView::clearPending();
}

INSTANTIATE_TEST_SUITE_P(
    WindowsAndMountings, WhatYouSeeTest,
    ::testing::Values(Case{320, 480, 640, 480, 90},     // the phone: a 4:3 sensor mounted a quarter turn
                      Case{1280, 720, 1280, 720, 0},    // a laptop's webcam
                      Case{360, 720, 1280, 720, 90},    // a phone with a 16:9 sensor mounted a quarter turn
                      Case{360, 720, 1280, 720, 0},     // a webcam in a narrow window
                      Case{1920, 1080, 640, 480, 0}),   // a 4:3 webcam on a wide screen
    [](const ::testing::TestParamInfo<Case>& param) { return nameOf(param.param); });

}  // namespace
}  // namespace kestrel
