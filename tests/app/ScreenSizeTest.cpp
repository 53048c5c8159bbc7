#include "core/app/KestrelApp.h"
#include "core/base/Bitmap.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settings/ApplicationId.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

// Where a view lies on the screen: its frame moved by every superview's.
Rect onScreen(const View& view) {
    Rect r = view.frame();
    for (const View* up = view.superview(); up; up = up->superview()) {
        r.x += up->frame().x;
        r.y += up->frame().y;
    }
    return r;
}
Point centreOf(const Rect& r) { return Point{r.x + r.width / 2, r.y + r.height / 2}; }

class ScreenSizeTest : public ::testing::Test {
protected:
    ScreenSizeTest() { open(); }
    ~ScreenSizeTest() override {
        app.reset();
        ApplicationId::setId(0);
    }
    // The application as a start makes it (the one before quits first), on
    // the camera, pictures kept for review.
    void open() {
        app.reset();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(false);
        app->start();
        loop.advance(0.5);
    }
    CameraViewManager& views() { return app->cameraViews(); }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
};

// A phone turned, a window maximised: the camera screen is laid out again at
// once, a picture under review stays under review, nothing is restarted.
TEST_F(ScreenSizeTest, AResizeLaysTheCameraOutAgainAndKeepsWhatItWasDoing) {
    app->setScreenSize(Size{320, 480});
    CameraToolbar& bar = *views().toolBar;
    EXPECT_EQ(bar.frame(), (Rect{0, 427, 640, 53}));
    EXPECT_EQ(views().overlay->frame(), (Rect{0, 0, 320, 427}));
    const CameraHandler* handler = app->camera().handler();
    ASSERT_NE(handler, nullptr);

    bar.shutterButton().press();
    loop.advance(0.5);
    ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
    loop.runUntilIdle();
    loop.advance(1.0);
    ASSERT_FALSE(app->camera().isLive());
    ASSERT_TRUE(bar.reviewPageShown());

    // Landscape: the picture and the review page beside it, the picture still reviewed.
    app->setScreenSize(Size{1280, 720});
    const ScreenLayout& wide = app->screenLayout();
    ASSERT_TRUE(wide.landscape());
    EXPECT_EQ(app->camera().container().frame(), (Rect{0, 0, 1280, 720}));
    EXPECT_EQ(views().overlay->frame(), wide.pictureArea());
    EXPECT_EQ(views().saveImageView->frame(), wide.pictureArea());
    EXPECT_EQ(bar.frame(), wide.toolbarFrame(true));
    EXPECT_FALSE(app->camera().isLive());
    EXPECT_TRUE(views().saveImageView->image());
    EXPECT_EQ(app->camera().handler(), handler);  // the same shooting mode, not a new one
    EXPECT_EQ(camera.picturesTaken(), 1);
    // The buttons that show are those of the review page, inside the window.
    const Rect use = onScreen(bar.useButton());
    EXPECT_GE(use.x, 1280 - ScreenLayout::kToolbarThickness);
    EXPECT_GE(use.y, 0);
    EXPECT_LE(use.y + use.height, 720);

    // Saved: the picture shrinks into the use button where it is now.
    bar.useButton().press();
    ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
    loop.runUntilIdle();
    EXPECT_EQ(views().saveImageView->center(), centreOf(use));
    loop.advance(1.5);
    EXPECT_TRUE(app->camera().isLive());
    EXPECT_EQ(bar.frame(), wide.toolbarFrame(false));

    // Back to the phone's shape: the phone's numbers again.
    app->setScreenSize(Size{320, 480});
    EXPECT_EQ(bar.frame(), (Rect{0, 427, 640, 53}));
    EXPECT_EQ(bar.shutterButton().frame(), (Rect{110, 4, 100, 45}));
    // Placed for the device's position since the review: the upright spot.
    EXPECT_EQ(views().sensorView->center(), (Point{160, 400}));
    EXPECT_EQ(views().saveLabel->frame(), (Rect{20, 385, 280, 30}));
    EXPECT_EQ(app->camera().cameraButton().frame(), (Rect{250, 10, 60, 34}));
}

TEST_F(ScreenSizeTest, TheWindowOpensAtTheSizeItWasLeftAtNoLargerThanTheScreen) {
    // The first start: the default size, on a screen that holds it or not.
    EXPECT_EQ(app->startingWindowSize(Size{1920, 1080}), KestrelApp::kDefaultWindowSize);
    EXPECT_EQ(app->startingWindowSize(Size{1024, 500}), (Size{400, 500}));

    app->setScreenSize(Size{1280, 720});
    open();  // quit and started again
    EXPECT_EQ(app->startingWindowSize(Size{1920, 1080}), (Size{1280, 720}));
    // Now on a smaller screen: clamped to it.
    EXPECT_EQ(app->startingWindowSize(Size{1024, 600}), (Size{1024, 600}));
    // Never smaller than the window can be.
    EXPECT_EQ(app->startingWindowSize(Size{200, 300}), KestrelApp::kSmallestWindowSize);
}

// Held on its side, the device turns the small views about the picture; a
// window of another size puts them where its own picture is.
TEST(ScreenSizeHeldTest, TheViewsTurnedWithTheDeviceFollowTheWindowsPicture) {
    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    const auto trace = dir.path() / "held.csv";
    std::ofstream(trace) << "0,-1,0,0\n";  // on its left side
    SimulatedAccelerometer accelerometer = std::move(*SimulatedAccelerometer::fromTrace(loop, trace));
    test::RecordingSounds sounds;
    KestrelApp app(KestrelApp::Ports{loop, camera, accelerometer, sounds,
                                     std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                   test::appOptions(dir.path()));
    app.settings().record().setMode(Camera1Data::kStandard);
    app.settings().record().setAutoSave(false);
    app.start();
    loop.advance(1.0);
    ASSERT_EQ(app.devicePosition().orientation(), 3);
    CameraViewManager& views = app.cameraViews();
    for (const Size window : {Size{1280, 720}, Size{400, 600}}) {
        SCOPED_TRACE(testing::Message() << window.width << " x " << window.height);
        app.setScreenSize(window);
        if (app.camera().isLive()) {
            views.toolBar->shutterButton().press();
            loop.advance(0.5);
            loop.runUntilIdle();
        }
        ASSERT_FALSE(app.camera().isLive());
        const ScreenLayout& layout = app.screenLayout();
        EXPECT_EQ(views.saveImageView->frame(), layout.turnedPictureArea());
        EXPECT_EQ(views.sensorView->center(), layout.sensorPanelCentreHeldLeft());
        EXPECT_EQ(views.saveLabel->frame(), layout.turnedSaveLabel());
        const Point panel = views.sensorView->center();
        EXPECT_EQ(views.zoomView->center(), (Point{panel.x + 40, panel.y}));
    }
    ApplicationId::setId(0);
}

// A camera whose live frames come at whatever size the test says.
class SizedFramesCamera final : public CameraPicker {
public:
    void frameSize(int width, int height) { frame_ = Image(Bitmap(width, height)); }
    bool isSourceAvailable() const override { return true; }
    bool isCameraDeviceAvailable(Device) const override { return true; }
    bool isFlashAvailable(Device) const override { return false; }
    Device cameraDevice() const override { return Device::kRear; }
    void setCameraDevice(Device) override {}
    FlashMode flashMode() const override { return FlashMode::kOff; }
    void setFlashMode(FlashMode) override {}
    void takePicture(PictureHandler) override {}
    Image previewFrame() const override { return frame_; }
    void setPreviewScale(double) override {}
    double previewScale() const override { return 1; }
    void setPreviewTranslation(Point) override {}
    Point previewTranslation() const override { return {}; }

private:
    Image frame_;
};

// On a landscape window the picture takes the frames' shape: 4:3 before
// the first frame, then the frames' own, followed when it really changes
// (another camera) but not when a camera scaling its frames to the live
// view rounds their sides a pixel differently.
TEST(ScreenSizeFramesTest, TheLandscapePictureTakesTheFramesShape) {
    test::TempDir dir;
    ManualRunLoop loop;
    SizedFramesCamera camera;
    SimulatedAccelerometer accelerometer = std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    KestrelApp app(KestrelApp::Ports{loop, camera, accelerometer, sounds,
                                     std::make_unique<FixedLocationManager>(loop, std::nullopt)},
                   test::appOptions(dir.path()));
    app.start();
    const Size window{1280, 720};
    app.setScreenSize(window);
    EXPECT_EQ(app.screenLayout().pictureArea(), (Rect{133.5f, 0, 960, 720}));

    camera.frameSize(1280, 720);  // a 16:9 camera
    app.setScreenSize(window);
    EXPECT_EQ(app.screenLayout().pictureArea(), (Rect{0, 0, 1227, 720}));
    EXPECT_EQ(app.cameraViews().overlay->frame(), (Rect{0, 0, 1227, 720}));

    camera.frameSize(1279, 720);  // the same shape, rounded another way
    app.setScreenSize(window);
    EXPECT_FLOAT_EQ(app.screenLayout().frameAspect(), 1280.0f / 720);

    camera.frameSize(720, 960);  // another camera, upright
    app.setScreenSize(window);
    EXPECT_EQ(app.cameraViews().overlay->frame(), (Rect{343.5f, 0, 540, 720}));
    ApplicationId::setId(0);
}

}  // namespace
}  // namespace kestrel
