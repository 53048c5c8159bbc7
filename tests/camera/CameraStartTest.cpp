#include "core/camera/CameraControllerHelper.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/Timer.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/ui/AnimationBlock.h"
#include "sim/SimulatedCamera.h"
#include "support/CameraWaits.h"
#include "support/MemoryStore.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrel {
namespace {

// The simulated camera behind a start that takes `delay` of the loop's time,
// as a camera whose pipeline or portal is slow: starting until then, then
// available, and it tells (as the real camera's availability observer does).
class SlowCamera final : public CameraPicker {
public:
    SlowCamera(RunLoop& loop, CameraPicker& inner) : inner_(&inner), started_(loop) {}
    void startIn(double seconds, std::function<void()> tell) {
        starting_ = true;
        started_.start(RunLoop::seconds(seconds), [this, tell = std::move(tell)] {
            starting_ = false;
            tell();
        });
    }
    bool isSourceAvailable() const override { return !starting_; }
    bool isStarting() const override { return starting_; }
    bool isCameraDeviceAvailable(Device d) const override {
        return inner_->isCameraDeviceAvailable(d);
    }
    bool isFlashAvailable(Device d) const override {
        return !starting_ && inner_->isFlashAvailable(d);
    }
    Device cameraDevice() const override { return inner_->cameraDevice(); }
    void setCameraDevice(Device d) override { inner_->setCameraDevice(d); }
    FlashMode flashMode() const override { return inner_->flashMode(); }
    void setFlashMode(FlashMode m) override { inner_->setFlashMode(m); }
    void takePicture(PictureHandler handler) override { inner_->takePicture(std::move(handler)); }
    Image previewFrame() const override { return starting_ ? Image() : inner_->previewFrame(); }
    void setPreviewScale(double s) override { inner_->setPreviewScale(s); }
    double previewScale() const override { return inner_->previewScale(); }
    void setPreviewTranslation(Point p) override { inner_->setPreviewTranslation(p); }
    Point previewTranslation() const override { return inner_->previewTranslation(); }

private:
    CameraPicker* inner_;
    Timer started_;
    bool starting_ = false;
};

class CameraStartTest : public ::testing::Test {
protected:
    CameraStartTest()
        : record(store),
          simulated(loop, nullptr, 320, 240),
          camera(loop, simulated),
          album((dir / "DCIM").string(), loop),
          saver(album, (dir / "DCIM").string(), loop, nullptr),
          block(&loop),
          controller(CameraControllerHelper::Services{camera, views, loop, sounds, saver, center,
                                                      test::testPaths().resourcesDir, nullptr,
                                                      nullptr}) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kTimer);
        record.timer().setTimerDelay(2);
    }
    ~CameraStartTest() override { ApplicationId::setId(0); }

    test::TempDir dir;
    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    NotificationCenter center;
    SimulatedCamera simulated;
    SlowCamera camera;
    CameraViewManager views;
    test::RecordingSounds sounds;
    DcimPhotoAlbum album;
    GpsImageSaver saver;
    AnimationBlock block;
    CameraControllerHelper controller;
};

// A camera that takes 10 s to start: the screen says so and stays usable
// meanwhile (its timers run, the settings and album buttons work), the
// shutter waits, and the camera is the screen's once it has started.
TEST_F(CameraStartTest, ACameraTakingTenSecondsToStartLeavesTheScreenLiveMeanwhile) {
    bool settingsOpened = false;
    controller.setSettingsAction([&] { settingsOpened = true; });
    camera.startIn(10.0, [this] { controller.showCamera(); });
    controller.showCamera();
    EXPECT_EQ(views.saveLabel->text(), "Starting camera\u2026");
    EXPECT_FALSE(views.saveLabel->hidden());
    EXPECT_FALSE(views.toolBar->shutterButton().enabled());
    EXPECT_TRUE(views.toolBar->settingsButton().enabled());

    controller.shutter();  // nothing to shoot with yet
    loop.advance(4.0);
    EXPECT_EQ(simulated.picturesTaken(), 0);
    EXPECT_EQ(controller.handler()->state(), CameraHandler::kIdle);
    EXPECT_EQ(views.modeImage->alpha(), 0);  // the screen's own timers ran: the icon faded
    views.toolBar->settingsButton().press();
    EXPECT_TRUE(settingsOpened);

    loop.advance(6.5);  // started
    EXPECT_FALSE(camera.isStarting());
    EXPECT_TRUE(views.saveLabel->hidden());
    EXPECT_TRUE(views.toolBar->shutterButton().enabled());
    views.toolBar->shutterButton().press();  // the two-second count-down, then the picture
    loop.advance(2.5);
    EXPECT_EQ(simulated.picturesTaken(), 1);
    EXPECT_TRUE(test::awaitProcessing(loop, controller));
    EXPECT_TRUE(controller.image());
}

}  // namespace
}  // namespace kestrel
