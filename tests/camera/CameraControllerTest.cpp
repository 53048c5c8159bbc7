#include "core/camera/CameraControllerHelper.h"
#include "core/imaging/ImageResizer.h"
#include "core/imaging/Rotation.h"
#include "core/platform/ManualRunLoop.h"
#include "core/sensors/DevicePosition.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/ui/AnimationBlock.h"
#include "sim/SimulatedCamera.h"
#include "support/MemoryStore.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <numbers>

namespace kestrel {
namespace {

// A camera with only one device, for the hardware checks.
class OneCamera final : public CameraPicker {
public:
    bool isSourceAvailable() const override { return source; }
    bool isCameraDeviceAvailable(Device d) const override { return source && d == Device::kRear; }
    bool isFlashAvailable(Device) const override { return true; }
    Device cameraDevice() const override { return Device::kRear; }
    void setCameraDevice(Device) override { ++deviceSets; }
    FlashMode flashMode() const override { return FlashMode::kOff; }
    void setFlashMode(FlashMode) override { ++flashSets; }
    void takePicture(PictureHandler handler) override {
        handler(Image());
    }  // the still never comes
    Image previewFrame() const override { return preview; }
    void setPreviewScale(double s) override { scale = s; }
    double previewScale() const override { return scale; }
    void setPreviewTranslation(Point) override {}
    Point previewTranslation() const override { return {}; }
    bool facesUser() const override { return user; }
    void setPreviewOrientation(int turn, bool mirror) override {
        screenTurn = turn;
        mirrored = mirror;
    }
    bool user = false;
    int screenTurn = -1;
    bool mirrored = false;
    int deviceSets = 0;
    int flashSets = 0;
    Image preview;
    double scale = 1;
    bool source = true;
};

class CameraControllerTest : public ::testing::Test {
protected:
    CameraControllerTest()
        : record(store),
          camera(
              loop, [this] { return held; }, 320, 240),
          album((dir / "DCIM").string(), loop),
          saver(album, (dir / "DCIM").string(), loop, nullptr),
          block(&loop),
          controller(CameraControllerHelper::Services{camera, views, loop, sounds, saver, center,
                                                      test::testPaths().resourcesDir, nullptr,
                                                      [this] { return held; }}) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kStandard);
        record.setFullScreenShutter(true);
        record.setDigitalZoom(true);
    }
    ~CameraControllerTest() override { ApplicationId::setId(0); }

    // A save is under way on the album's thread: wait for its completion to be
    // posted, run it, and let the save animation play on virtual time.
    void finishSave() {
        ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
        loop.runUntilIdle();
        loop.advance(1.0);
    }
    std::size_t photosSaved() const {
        std::size_t n = 0;
        if (!std::filesystem::exists(dir / "DCIM" / "100APPLE")) return 0;
        for (const auto& e : std::filesystem::directory_iterator(dir / "DCIM" / "100APPLE"))
            n += e.path().extension() == ".JPG";
        return n;
    }

    test::TempDir dir;
    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    NotificationCenter center;
    int held = 1;
    SimulatedCamera camera;
    CameraViewManager views;
    test::RecordingSounds sounds;
    DcimPhotoAlbum album;
    GpsImageSaver saver;
    AnimationBlock block;
    CameraControllerHelper controller;
};

TEST_F(CameraControllerTest, AutoSaveShowsSavesAndShrinksTowardsTheShutter) {
    record.setAutoSave(true);
    controller.showCamera();
    ASSERT_NE(controller.handler(), nullptr);
    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag);
    ASSERT_TRUE(controller.image());  // the picture on review
    EXPECT_FALSE(views.saveImageView->hidden());
    EXPECT_FALSE(views.overlay->showBorder());
    EXPECT_EQ(views.toolBar->frame().x, 0);  // never the review page
    controller.shutter();                    // ignored while a picture is held
    loop.runUntilIdle();                     // save starts on the next turn
    EXPECT_EQ(views.saveLabel->text(), "Saving to Camera Roll...");
    EXPECT_FALSE(views.toolBar->shutterButton().enabled());
    finishSave();
    EXPECT_EQ(photosSaved(), 1u);
    EXPECT_FALSE(controller.image());  // back to live view
    EXPECT_TRUE(views.toolBar->shutterButton().enabled());
    EXPECT_TRUE(views.saveImageView->hidden());
    EXPECT_TRUE(views.overlay->showBorder());
    bool shrankToShutter = false;
    for (const auto& r : block.records())
        for (const auto& c : r.changes)
            if (c.view == views.saveImageView.get() && c.property == "center")
                shrankToShutter = true;
    EXPECT_TRUE(shrankToShutter);
}

TEST_F(CameraControllerTest, ReviewThenUseOrRetake) {
    record.setAutoSave(false);
    controller.showCamera();
    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_EQ(views.toolBar->frame().x, -320);  // the review page
    views.toolBar->retakeButton().press();
    loop.runUntilIdle();
    EXPECT_FALSE(controller.image());
    EXPECT_EQ(views.toolBar->frame().x, 0);
    EXPECT_EQ(photosSaved(), 0u);

    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag);
    views.toolBar->useButton().press();
    finishSave();
    EXPECT_EQ(photosSaved(), 1u);
    EXPECT_EQ(views.saveImageView->center(), (Point{283, 452}));
}

TEST_F(CameraControllerTest, FlashCyclesAndOneCameraHidesTheButtons) {
    controller.showCamera();
    EXPECT_FALSE(controller.cameraButton().hidden());
    controller.flash();
    EXPECT_EQ(camera.flashMode(), CameraPicker::FlashMode::kAuto);
    EXPECT_EQ(controller.flashButton().image(Button::kNormal), "flash_auto.png");
    controller.flash();
    EXPECT_EQ(camera.flashMode(), CameraPicker::FlashMode::kOn);
    controller.flash();
    EXPECT_EQ(camera.flashMode(), CameraPicker::FlashMode::kOff);
    controller.camera();
    EXPECT_EQ(camera.cameraDevice(), CameraPicker::Device::kFront);
    EXPECT_EQ(record.camera(), 1);

    OneCamera single;
    CameraViewManager otherViews;
    CameraControllerHelper other(
        CameraControllerHelper::Services{single, otherViews, loop, sounds, saver, center,
                                         test::testPaths().resourcesDir, nullptr, nullptr});
    other.setup();
    EXPECT_TRUE(other.cameraButton().hidden());
    EXPECT_TRUE(other.flashButton().hidden());
    EXPECT_EQ(single.deviceSets + single.flashSets, 0);
}

TEST_F(CameraControllerTest, TheSnapshotIsWhatTheLiveViewShows) {
    OneCamera single;
    CameraViewManager otherViews;
    CameraControllerHelper other(
        CameraControllerHelper::Services{single, otherViews, loop, sounds, saver, center,
                                         test::testPaths().resourcesDir, nullptr, nullptr});
    EXPECT_FALSE(other.cameraScreenshot(Rect{0, 0, 320, 427}));  // no preview yet
    // Red left of x = 400, blue right of it, in a 640 × 480 preview.
    single.preview = test::TestImages::make(640, 480, [](int x, int) {
        return x < 400 ? test::Rgb{255, 0, 0} : test::Rgb{0, 0, 255};
    });
    Image shot = other.cameraScreenshot(Rect{0, 0, 320, 427});
    ASSERT_EQ(shot.size(), (Size{320, 427}));
    // Shown whole in 320 × 427 the preview is scaled by 0.5 into 320 × 240
    // from y = 94, black above and below: the edge falls at x = 200.
    EXPECT_EQ(test::TestImages::at(shot, 195, 200), (test::Rgb{255, 0, 0}));
    EXPECT_EQ(test::TestImages::at(shot, 205, 200), (test::Rgb{0, 0, 255}));
    EXPECT_EQ(test::TestImages::at(shot, 100, 50), (test::Rgb{0, 0, 0}));
    EXPECT_EQ(test::TestImages::at(shot, 100, 380), (test::Rgb{0, 0, 0}));
    single.scale = 2;  // zoomed in, the edge moves out to x = 240
    shot = other.cameraScreenshot(Rect{0, 0, 320, 427});
    EXPECT_EQ(test::TestImages::at(shot, 235, 200), (test::Rgb{255, 0, 0}));
    EXPECT_EQ(test::TestImages::at(shot, 245, 200), (test::Rgb{0, 0, 255}));
}

// Whatever the camera's mounting and however the device is held, the photo
// comes out upright: sky at the top, hills at the bottom, and its shape the
// shape the sensor's frame has once turned.
TEST_F(CameraControllerTest, EveryMountingAndEveryTurnOfTheDeviceGiveAnUprightPhoto) {
    record.setAutoSave(false);
    for (const int mount : {0, 90, 180, 270}) {
        for (held = 1; held <= 4; ++held) {
            camera.setMountRotation(mount);
            controller.showCamera();
            controller.shutter();
            loop.advance(SimulatedCamera::kShutterLag);
            ASSERT_TRUE(controller.image()) << mount << " " << held;
            const Image photo = ImageResizer::colorMatch(controller.image(), Size{0, 0});
            const bool sideways = (mount + Rotation::deviceTurn(held)) % 180 != 0;
            EXPECT_EQ(photo.size(), sideways ? (Size{240, 320}) : (Size{320, 240}))
                << mount << " " << held;
            const int w = static_cast<int>(photo.size().width),
                      h = static_cast<int>(photo.size().height);
            const test::Rgb sky = test::TestImages::at(photo, w / 8, h / 20);
            const test::Rgb hills = test::TestImages::at(photo, w / 8, h - h / 20);
            EXPECT_GT(sky.b, sky.g + 20) << mount << " " << held;
            EXPECT_GT(hills.g, hills.b + 20) << mount << " " << held;
            controller.retake();
            loop.runUntilIdle();
        }
    }
}

// A camera facing the user: its live view is mirrored, its photo only when asked;
// a shell that turns the screen turns the live view, and the controls only by
// what the screen does not turn.
TEST_F(CameraControllerTest, AUserFacingCameraMirrorsItsLiveViewAndItsPhotoOnlyWhenAsked) {
    OneCamera webcam;
    webcam.user = true;
    CameraViewManager otherViews;
    CameraControllerHelper other(CameraControllerHelper::Services{
        webcam, otherViews, loop, sounds, saver, center, test::testPaths().resourcesDir, nullptr,
        [this] { return held; }});
    other.showCamera();
    EXPECT_TRUE(webcam.mirrored);
    EXPECT_EQ(webcam.screenTurn, 0);
    EXPECT_EQ(other.photoOrientation(), Image::kUp);  // mounted upright, nothing said: as it is
    record.setMirrorFrontPhotos(true);
    EXPECT_EQ(other.photoOrientation(), Image::kUpMirrored);
    webcam.user = false;  // a camera at the back never mirrors
    EXPECT_EQ(other.photoOrientation(), Image::kUp);
    other.refreshCamera();
    EXPECT_FALSE(webcam.mirrored);

    held = 4;  // turned a quarter clockwise, and the shell turns the screen with it
    EXPECT_EQ(other.controlOrientation(), 4);
    other.setScreenTurn(90);
    EXPECT_EQ(webcam.screenTurn, 90);
    EXPECT_EQ(other.controlOrientation(), 1);  // the controls stay as the screen shows them
    EXPECT_EQ(other.photoOrientation(), Image::kRight);  // the photo still turns with the device
}

TEST_F(CameraControllerTest, WithoutACameraTheScreenSaysSoAndStaysUsable) {
    OneCamera broken;
    CameraViewManager otherViews;
    CameraControllerHelper other(
        CameraControllerHelper::Services{broken, otherViews, loop, sounds, saver, center,
                                         test::testPaths().resourcesDir, nullptr, nullptr});
    other.showCamera();
    ASSERT_NE(other.handler(), nullptr);
    // A still that fails: back to the live view, nothing saved, nothing hanging.
    other.shutter();
    loop.advance(1.0);
    EXPECT_TRUE(other.isLive());
    EXPECT_EQ(photosSaved(), 0u);
    // No camera at all: the message, and the toolbar for the album and the settings.
    broken.source = false;
    other.showCamera();
    EXPECT_EQ(otherViews.saveLabel->text(), "No camera found");
    EXPECT_FALSE(otherViews.saveLabel->hidden());
    EXPECT_EQ(otherViews.toolBar->superview(), &other.container());
    EXPECT_FALSE(otherViews.toolBar->shutterButton().enabled());
    EXPECT_TRUE(otherViews.toolBar->albumButton().enabled());
    other.shutter();
    loop.advance(1.0);
    EXPECT_TRUE(other.isLive());
}

TEST_F(CameraControllerTest, ModesWithoutAHandlerKeepThePreviousOne) {
    controller.showCamera();
    CameraHandler* standard = controller.handler();
    ASSERT_NE(standard, nullptr);
    for (int mode : {8, 10, 42, -1}) {
        record.setMode(mode);
        controller.reset();
        EXPECT_EQ(controller.handler(), standard) << mode;
    }
}

TEST_F(CameraControllerTest, DragZoomPerOrientationAndTaps) {
    controller.showCamera();
    controller.touchesBegan(Point{50, 100});
    controller.touchesMoved(Point{250, 100});  // +200 in orientation 1: 1 × (1 + 200/80)
    EXPECT_FLOAT_EQ(controller.zoom(), 3.5f);
    controller.touchesEnded(Point{250, 100}, 0);
    controller.zoomTo(2.0);
    controller.touchesBegan(Point{50, 100});
    controller.touchesEnded(Point{250, 100}, 0);
    EXPECT_FLOAT_EQ(controller.zoom(), 4.0f);  // clamped
    EXPECT_FLOAT_EQ(static_cast<float>(camera.previewScale()), 4.0f);
    controller.releaseZoom();
    EXPECT_DOUBLE_EQ(camera.previewScale(), 1.0);
    EXPECT_FLOAT_EQ(controller.zoom(), 4.0f);
    EXPECT_EQ(views.zoomView->label().text(), "4.0X");
    held = 2;  // the same drag zooms out upside down
    controller.touchesBegan(Point{50, 100});
    controller.touchesEnded(Point{250, 100}, 0);
    EXPECT_FLOAT_EQ(controller.zoom(), 1.0f);
    held = 3;
    controller.touchesBegan(Point{50, 100});
    controller.touchesMoved(Point{50, 180});
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    controller.touchesEnded(Point{50, 180}, 2);  // double tap: back to 1×
    EXPECT_FLOAT_EQ(controller.zoom(), 1.0f);
    EXPECT_DOUBLE_EQ(views.zoomView->alpha(), 0.0);

    // A single tap shoots with full-screen shutter on.
    held = 1;
    controller.touchesEnded(Point{10, 10}, 1);
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_TRUE(controller.image());
}

TEST_F(CameraControllerTest, TheSmallViewsTurnWithTheDevice) {
    controller.showCamera();
    held = 3;
    center.postNotificationName(DevicePosition::kChangeOrientation);
    EXPECT_EQ(views.sensorView->center(), (Point{40, 303}));
    EXPECT_EQ(views.zoomView->center(), (Point{80, 303}));
    EXPECT_EQ(views.saveLabel->frame(), (Rect{-105, 198.5f, 280, 30}));
    EXPECT_EQ(views.saveLabel->alignment(), Label::Alignment::kRight);
    EXPECT_NEAR(views.sensorView->transform().rotation, std::numbers::pi / 2, 1e-6);
    held = 4;
    controller.rotate(false);
    EXPECT_EQ(views.sensorView->center(), (Point{280, 303}));
    EXPECT_EQ(views.zoomView->center(), (Point{240, 303}));
    EXPECT_EQ(views.saveLabel->alignment(), Label::Alignment::kLeft);
    EXPECT_EQ(views.saveImageView->frame(), (Rect{-53.5f, 53.5f, 427, 320}));
    EXPECT_NEAR(views.saveImageView->transform().rotation, 3 * std::numbers::pi / 2, 1e-5);
    held = 7;  // no usable orientation: nothing moves
    controller.rotate(false);
    EXPECT_EQ(views.sensorView->center(), (Point{280, 303}));
    held = 1;
    controller.rotate(false);
    EXPECT_EQ(views.sensorView->center(), (Point{160, 400}));
    EXPECT_EQ(views.zoomView->center(), (Point{160, 360}));
    EXPECT_EQ(views.saveLabel->frame(), (Rect{20, 385, 280, 30}));
}

}  // namespace
}  // namespace kestrel

#include "core/ui/ViewParser.h"

namespace kestrel {
namespace {

TEST_F(CameraControllerTest, TouchesOnTheOverlayReachTheControllerAndButtonsShowOneImage) {
    controller.showCamera();
    views.overlay->touchesBegan(Touch{views.overlay.get(), Point{50, 100}, 1});
    views.overlay->touchesEnded(Touch{views.overlay.get(), Point{130, 100}, 0});  // +80: doubles
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    for (auto state : {Button::kNormal, Button::kHighlighted, Button::kDisabled, Button::kSelected})
        EXPECT_EQ(controller.flashButton().image(state), "flash_off.png");
    controller.hideCamera();
    EXPECT_EQ(controller.handler(), nullptr);
    controller.shutter();  // no handler: nothing happens
    EXPECT_FALSE(controller.image());
}

TEST_F(CameraControllerTest, OnePressOnePictureWhateverArrivesWhileItIsOnItsWay) {
    record.setAutoSave(true);
    controller.showCamera();
    controller.shutter();
    EXPECT_TRUE(controller.isCapturing());
    controller.shutter();    // a second click of a double-click, within the shutter lag
    controller.photo(true);  // or a mode asking again
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_EQ(camera.picturesTaken(), 1);
    loop.runUntilIdle();
    controller.save();  // asked twice: still one save
    finishSave();
    EXPECT_EQ(photosSaved(), 1u);
    controller.shutter();  // live again: the next press takes the next picture
    loop.advance(SimulatedCamera::kShutterLag);
    EXPECT_EQ(camera.picturesTaken(), 2);
}

TEST_F(CameraControllerTest, APictureComingWhileTheCameraIsAwayWaitsForItsReturn) {
    record.setAutoSave(true);
    controller.showCamera();
    controller.shutter();
    controller.hideCamera();  // the album opens while the still is on its way
    loop.advance(SimulatedCamera::kShutterLag);
    loop.runUntilIdle();
    ASSERT_TRUE(controller.image());  // processed by its mode and kept, not saved unseen
    EXPECT_FALSE(controller.isSaving());
    EXPECT_EQ(photosSaved(), 0u);

    controller.showCamera();
    EXPECT_FALSE(views.saveImageView->hidden());
    loop.runUntilIdle();  // auto-save: saved now that it has been seen
    EXPECT_TRUE(controller.isSaving());
    finishSave();
    EXPECT_EQ(photosSaved(), 1u);
    EXPECT_FALSE(controller.image());
}

TEST_F(CameraControllerTest, LeavingStopsSensingAndASeries) {
    // Motion mode: its count-down, then its watch, stopped by hiding as a press stops it.
    record.setMode(Camera1Data::kMotion);
    controller.showCamera();
    controller.shutter();
    ASSERT_EQ(controller.handler()->state(), CameraHandler::kDelay);
    loop.advance(15.0);
    ASSERT_EQ(controller.handler()->state(), CameraHandler::kSensing);
    controller.cameraWillHide();
    EXPECT_EQ(controller.handler()->state(), CameraHandler::kIdle);
    EXPECT_TRUE(views.sensorView->hidden());
    camera.setScene(SimulatedCamera::Scene::kMoving);
    loop.advance(30.0);
    EXPECT_EQ(camera.picturesTaken(), 0);

    // Rapid fire: a series under way ends with the frame on its way; nothing more is taken.
    record.setMode(Camera1Data::kRapidFire);
    controller.showCamera();
    controller.shutter();
    loop.advance(SimulatedCamera::kShutterLag * 3.5);
    const int taken = camera.picturesTaken();
    ASSERT_GE(taken, 2);
    controller.cameraWillHide();
    loop.advance(10.0);
    EXPECT_LE(camera.picturesTaken(), taken + 1);
    EXPECT_FALSE(controller.image());  // an intermediate frame is no picture to review
}

TEST(ImageButtonTest, RecognisesItsImageViewsOnlyWhenWalked) {
    AnimationBlock block;
    auto button = std::make_shared<ImageButton>(Rect{0, 0, 60, 40});
    auto background = std::make_shared<ImageView>(Rect{0, 0, 60, 40});
    auto icon = std::make_shared<ImageView>(Rect{10, 5, 40, 30});
    button->addSubview(background);
    button->addSubview(icon);
    button->changeOrientation();  // parse does nothing
    EXPECT_EQ(button->imageView(), nullptr);
    button->adjust(3);  // nothing to turn
    EXPECT_TRUE(block.records().empty());
    button->parseView(*button, nullptr, 1);
    EXPECT_EQ(button->backgroundView(), background.get());
    EXPECT_EQ(button->imageView(), icon.get());
    button->adjust(3);
    EXPECT_NEAR(icon->transform().rotation, 3.1415927 / 2, 1e-6);
    button->setImage("camera.png");  // forgets them
    EXPECT_EQ(button->imageView(), nullptr);
    EXPECT_EQ(ImageButton::viewIsType(*icon, "ImageView", button.get()), icon.get());
    EXPECT_EQ(ImageButton::viewIsType(*icon, "ImageView", background.get()), nullptr);
    EXPECT_EQ(ViewParser::parseView(*button), 3);
}

TEST_F(CameraControllerTest, APinchZoomsAsTheDragDoesAndNeverShoots) {
    controller.showCamera();
    ASSERT_TRUE(record.fullScreenShutter());
    const Pinch start{views.overlay.get(), 1.0};
    // Apart: twice the span, twice the zoom, the drag's read-out showing it.
    controller.pinchBegan(start);
    EXPECT_FALSE(views.zoomView->hidden());
    EXPECT_DOUBLE_EQ(views.zoomView->alpha(), 1.0);
    controller.pinchChanged(Pinch{views.overlay.get(), 2.0});
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(camera.previewScale()), 2.0f);
    EXPECT_EQ(views.zoomView->label().text(), "2.0X");
    controller.pinchEnded(Pinch{views.overlay.get(), 5.0});
    EXPECT_FLOAT_EQ(controller.zoom(), 4.0f);        // held at the end
    EXPECT_DOUBLE_EQ(views.zoomView->alpha(), 0.0);  // faded as after a drag
    // Together again from 4×: the pinch starts from the zoom there is.
    controller.pinchBegan(start);
    controller.pinchChanged(Pinch{views.overlay.get(), 0.5});
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    // The system cancels the pinch: the zoom stays where it got to, the read-out goes.
    controller.pinchCancelled(Pinch{views.overlay.get(), 0.5});
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    EXPECT_DOUBLE_EQ(views.zoomView->alpha(), 0.0);
    loop.advance(1.0);
    EXPECT_EQ(camera.picturesTaken(), 0);  // no pinch is a tap
    EXPECT_TRUE(controller.isLive());

    // Without digital zoom a pinch does nothing at all.
    record.setDigitalZoom(false);
    controller.zoomTo(1.0);
    views.zoomView->setHidden(true);
    controller.pinchBegan(start);
    controller.pinchChanged(Pinch{views.overlay.get(), 3.0});
    controller.pinchEnded(Pinch{views.overlay.get(), 3.0});
    EXPECT_FLOAT_EQ(controller.zoom(), 1.0f);
    EXPECT_TRUE(views.zoomView->hidden());
    loop.advance(1.0);
    EXPECT_EQ(camera.picturesTaken(), 0);
}

TEST_F(CameraControllerTest, ACancelledDragKeepsItsZoomAndLetsTheReadOutGoWithoutShooting) {
    controller.showCamera();
    controller.touchesBegan(Point{50, 100});
    controller.touchesMoved(Point{130, 100});
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    controller.touchesCancelled();
    EXPECT_FLOAT_EQ(controller.zoom(), 2.0f);
    EXPECT_DOUBLE_EQ(views.zoomView->alpha(), 0.0);
    loop.advance(1.0);
    EXPECT_EQ(camera.picturesTaken(), 0);
}

}  // namespace
}  // namespace kestrel
