#include "core/app/KestrelApp.h"
#include "core/camera/SoundCues.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrel {
namespace {

// Remembers which files were played, by name, in order.
class NamedSounds final : public SystemSounds {
public:
    SoundId registerSound(const std::filesystem::path& file) override {
        if (!std::filesystem::exists(file)) return 0;
        names[++last] = file.filename().string();
        return last;
    }
    // The cues only (not the count-down's beeps).
    void play(SoundId sound) override {
        if (names.at(sound) != "beep.wav") played.push_back(names.at(sound));
    }
    void dispose(SoundId) override {}
    void vibrate() override {}

    std::map<SoundId, std::string> names;
    std::vector<std::string> played;
    SoundId last = 0;
};

class SoundCuesTest : public ::testing::Test {
protected:
    SoundCuesTest() {
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        record().setMode(Camera1Data::kStandard);
        record().setAutoSave(true);
        app->start();
        loop.advance(0.5);
    }
    Camera1Data& record() { return app->settings().record(); }
    void press() { app->cameraViews().toolBar->shutterButton().press(); }
    void settle() {
        loop.advance(0.5);
        test::awaitPhotos(loop, app->camera());
        while (loop.waitForPosts(std::chrono::milliseconds(500)))
            loop.runUntilIdle();
        loop.advance(1.5);
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    std::optional<SimulatedAccelerometer> accelerometer =
        SimulatedAccelerometer::named(loop, "steady");
    NamedSounds sounds;
    std::unique_ptr<KestrelApp> app;
};

TEST_F(SoundCuesTest, OffByDefaultThenShotSavedAndArmedFromTheSettingsRow) {
    EXPECT_FALSE(record().soundCues());
    press();
    settle();
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_TRUE(sounds.played.empty());

    // The settings' row switches them on, as the user's flip does.
    SwitchTableViewCell& row = app->settingsScreen().soundCuesCell();
    row.checkbox().toggle();
    EXPECT_TRUE(record().soundCues());

    press();
    settle();
    EXPECT_EQ(sounds.played, (std::vector<std::string>{"shot.wav", "saved.wav"}));

    // A sensing mode: the press arms the watch, and says so.
    sounds.played.clear();
    record().setMode(Camera1Data::kMotion);
    app->camera().reset();
    press();
    EXPECT_TRUE(sounds.played.empty());  // its count-down first
    for (int i = 0; i < 40 && app->camera().handler()->state() != CameraHandler::kSensing; ++i)
        loop.advance(0.5);
    ASSERT_EQ(app->camera().handler()->state(), CameraHandler::kSensing);
    EXPECT_EQ(sounds.played, (std::vector<std::string>{"armed.wav"}));
    press();  // stopped: nothing more to hear
    EXPECT_EQ(sounds.played.size(), 1u);
}

TEST(SoundCuesFilesTest, EveryCueIsInTheBundle) {
    for (const char* file : SoundCues::kFiles)
        EXPECT_GT(std::filesystem::file_size(test::testPaths().resourcesDir / file), 1000u) << file;
}

}  // namespace
}  // namespace kestrel
