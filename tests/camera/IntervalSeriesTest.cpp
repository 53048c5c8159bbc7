#include "core/camera/CameraControllerHelper.h"
#include "core/modes/CameraTimerHandler.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/WorkerQueue.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/ui/AnimationBlock.h"
#include "sim/SimulatedCamera.h"
#include "support/MemoryStore.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <future>

namespace kestrel {
namespace {

// A timer series on the camera screen whose saves can be held up: the
// store's worker first runs a job that waits until the test lets it go.
class IntervalSeriesTest : public ::testing::Test {
protected:
    IntervalSeriesTest()
        : record(store),
          camera(loop, nullptr, 320, 240),
          worker("camera roll", loop),
          album((dir / "DCIM").string(), loop, worker),
          saver(album, (dir / "DCIM").string(), loop, nullptr),
          block(&loop),
          controller(CameraControllerHelper::Services{camera, views, loop, sounds, saver, center,
                                                      test::testPaths().resourcesDir, nullptr,
                                                      nullptr}) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kTimer);
        record.setAutoSave(true);
        controller.setTraceObserver([this](const std::string& event) {
            if (event == "picture requested") requested.push_back(loop.now());
        });
        controller.setSaveObserver([this](const std::optional<std::string>& path) {
            if (path) ++saved;
        });
    }
    ~IntervalSeriesTest() override {
        release();
        ApplicationId::setId(0);
    }
    // The store stands still until release().
    void holdTheStore() {
        worker.enqueue([gate = gate.get_future().share()] { gate.wait(); });
    }
    void release() {
        if (released) return;
        released = true;
        gate.set_value();
    }

    test::TempDir dir;
    test::MemoryStore store;
    Camera1Data record;
    ManualRunLoop loop;
    NotificationCenter center;
    SimulatedCamera camera;
    CameraViewManager views;
    test::RecordingSounds sounds;
    WorkerQueue worker;
    DcimPhotoAlbum album;
    GpsImageSaver saver;
    AnimationBlock block;
    CameraControllerHelper controller;
    std::promise<void> gate;
    bool released = false;
    std::vector<RunLoop::Duration> requested;
    int saved = 0;
};

TEST_F(IntervalSeriesTest, ASaveSlowerThanTheIntervalNeitherSkipsNorSlipsAPicture) {
    record.timer().setTimerDelay(1);
    record.timer().setInterval(5);
    record.timer().setCount(4);
    controller.showCamera();
    holdTheStore();
    const RunLoop::Duration pressed = loop.now();
    controller.shutter();
    // Sixteen seconds with the store stuck behind the first picture.
    loop.advance(16.5);
    ASSERT_EQ(requested.size(), 4u);
    for (std::size_t i = 0; i < requested.size(); ++i)
        EXPECT_EQ(requested[i] - pressed, RunLoop::seconds(1.2 + 5.0 * static_cast<double>(i)))
            << i;
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(controller.isSaving());
    EXPECT_EQ(controller.queuedSaves(), 3u);
    // The store gets going: all four are saved, in turn, and the live view comes back.
    release();
    for (int i = 0; i < 200 && (saved < 4 || !controller.isLive()); ++i) {
        if (controller.isSaving()) loop.waitForPosts(std::chrono::seconds(10));
        loop.advance(0.5);
    }
    EXPECT_EQ(saved, 4);
    EXPECT_TRUE(controller.isLive());
    EXPECT_EQ(controller.queuedSaves(), 0u);
    EXPECT_EQ(requested.size(), 4u);  // the series ended with its count
    EXPECT_EQ(controller.handler()->state(), CameraHandler::kIdle);
}

}  // namespace
}  // namespace kestrel
