// The real programs, started as a user starts them and ended by a signal, as
// a logout, a shutdown or kill ends them: the photo being saved and the
// settings just changed are on disk afterwards. To quit while a save is under
// way, the tests run the programs built from the same libraries with a slow
// disk (tests/programs: each save held 1.5 s and said so in the log).

#include "adapters/linux/FaceModule.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/PlistPreferenceStore.h"
#include "core/platform/PreferenceLocation.h"
#include "core/settings/Camera1Data.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/ProgramCommand.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

using Child = test::ChildProcess;

class QuitBySignalTest : public ::testing::Test {
protected:
    QuitBySignalTest() {
        // A known start: the last mode in the settings' order (Faces where
        // its face finder is built, else Sound), so the next-mode key gives
        // Standard, which shoots at once; and auto-save on.
        const int last = FaceModule::locate(nullptr) ? Camera1Data::kFaces : Camera1Data::kSound;
        EXPECT_EQ(test::runCli({"--config-dir", config().string(), "settings", "set",
                                "camera mode", std::to_string(last)})
                      .status,
                  0);
        EXPECT_EQ(
            test::runCli({"--config-dir", config().string(), "settings", "set", "auto save", "yes"})
                .status,
            0);
    }
    fs::path config() const { return dir / "config"; }
    fs::path dcim() const { return dir / "DCIM"; }
    std::vector<std::string> windowEnvironment() const {
        // No session bus: each window runs on its own, whatever Kestrel the desktop runs.
        return {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (dir / "run").string(),
                "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir / "run" / "no-bus").string()};
    }
    // A program with a slow disk, then its arguments.
    static std::vector<std::string> heldSaves(const std::string& program,
                                              std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {program, kHold});
        return arguments;
    }
    static constexpr const char* kHold = "1.5";
    // SIGTERM, as a logout sends it: the window ends by itself, with status 0.
    static void endedBySigterm(Child& kestrel) {
        kestrel.signal(SIGTERM);
        const int status = kestrel.finish();
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << kestrel.err;
        EXPECT_EQ(WEXITSTATUS(status), 0) << kestrel.err;
    }
    int storedMode() const {
        const PlistPreferenceStore stored(PreferenceLocation::preferenceFile(config()));
        return stored.integerForKey("camera mode");
    }
    std::vector<fs::path> photos() const {
        std::vector<fs::path> found;
        if (!fs::exists(dcim() / "100APPLE")) return found;
        for (const auto& entry : fs::directory_iterator(dcim() / "100APPLE"))
            if (entry.is_regular_file()) found.push_back(entry.path());
        return found;
    }
    static void expectWholePhoto(const fs::path& photo) {
        const auto decoded = JpegCodec::decode(test::JpegBytes::read(photo));
        ASSERT_TRUE(decoded) << photo;
        EXPECT_GT(decoded->width(), 0);
    }

    test::TempDir dir;
};

TEST_F(QuitBySignalTest, TheWindowEndedMidSaveKeepsThePhotoAndTheSetting) {
    fs::create_directories(dir / "run");
    Child kestrel(
        test::programCommand(heldSaves(test::testPaths().heldSavesGuiProgram,
                                       {"--simulate", "--config-dir", config().string(), "--dcim",
                                        dcim().string(), "--press", "m space"})),
        windowEnvironment());
    ASSERT_TRUE(kestrel.started());
    ASSERT_TRUE(kestrel.waitFor("holding this save")) << kestrel.err;  // the save is under way
    endedBySigterm(kestrel);
    EXPECT_NE(kestrel.err.find("waiting for 1 photo to be saved"), std::string::npos)
        << kestrel.err;
    const auto saved = photos();
    ASSERT_EQ(saved.size(), 1u) << kestrel.err;  // the photo, and nothing half-written beside it
    EXPECT_EQ(saved[0].filename(), "IMG_0001.JPG");
    expectWholePhoto(saved[0]);
    EXPECT_EQ(storedMode(), Camera1Data::kStandard);
}

TEST_F(QuitBySignalTest, TheWindowEndedRightAfterASettingChangeKeepsIt) {
    fs::create_directories(dir / "run");
    Child kestrel(
        test::programCommand({test::testPaths().guiProgram, "--simulate", "--config-dir",
                              config().string(), "--dcim", dcim().string(), "--press", "m"}),
        windowEnvironment());
    ASSERT_TRUE(kestrel.started());
    ASSERT_TRUE(kestrel.waitFor("pressed m")) << kestrel.err;
    endedBySigterm(kestrel);
    EXPECT_EQ(storedMode(), Camera1Data::kStandard);
    EXPECT_TRUE(photos().empty());
}

TEST_F(QuitBySignalTest, TheWindowAnswersAndQuitsWhileItsCameraIsStillStarting) {
    // A camera that never gives its first frame: the window gives up on it
    // after 5 s, and meanwhile takes keys and a quit as at any other time.
    fs::create_directories(dir / "run");
    Child kestrel(
        test::programCommand(
            {test::testPaths().guiProgram, "--camera",
             "gst:videotestsrc is-live=true ! video/x-raw,width=64,height=48 ! valve drop=true",
             "--config-dir", config().string(), "--dcim", dcim().string(), "--press", "m"}),
        windowEnvironment());
    ASSERT_TRUE(kestrel.started());
    ASSERT_TRUE(kestrel.waitFor("pressed m")) << kestrel.err;
    endedBySigterm(kestrel);
    EXPECT_EQ(kestrel.err.find("within 5000 ms"), std::string::npos)
        << kestrel.err;  // not given up yet
    EXPECT_EQ(storedMode(), Camera1Data::kStandard);
}

TEST_F(QuitBySignalTest, AShootInterruptedMidSaveKeepsThePhotoAndSaysSo) {
    Child cli(
        test::programCommand(heldSaves(test::testPaths().heldSavesCliProgram,
                                       {"--config-dir", config().string(), "shoot", "--mode", "1",
                                        "--count", "3", "--dcim", dcim().string()})),
        {});
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.waitFor("holding this save")) << cli.err;
    cli.signal(SIGINT);
    const int status = cli.finish();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << cli.err;
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << cli.err;
    EXPECT_NE(cli.err.find("1 of 3 pictures saved"), std::string::npos) << cli.err;
    const fs::path photo = dcim() / "100APPLE" / "IMG_0001.JPG";
    EXPECT_EQ(cli.out, photo.string() + "\n");
    expectWholePhoto(photo);
    EXPECT_FALSE(fs::exists(dcim() / "100APPLE" / "IMG_0002.JPG"));
}

}  // namespace
}  // namespace kestrel
