#include "cli/DevicesCommand.h"

#include "support/CliRunner.h"
#include "support/FakePortal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

using cli::DevicesCommand;
using nlohmann::json;

TEST(DevicesCommandTest, EveryCameraOnceWithHowItWasFoundItsFormatsAndWhatAutoTakes) {
    test::TempDir dir;
    CameraFinder finder("unix:path=" + (dir / "no-bus").string(), [] {
        return std::vector<CameraFinder::Sighting>{
            {"v4l2",
             "Webcam \xff\xfe",
             {{"device.path", "/dev/video0"}},  // not UTF-8
             "video/x-raw, format=(string)YUY2, width=(int)1280, height=(int)720, "
             "framerate=(fraction)10/1; image/jpeg, width=(int)3264, height=(int)2448, "
             "framerate=(fraction)5/1"},
            {"pipewire",
             "Back camera",
             {{"object.serial", "12"},
              {"api.libcamera.path", "/base/cam0"},
              {"api.libcamera.location", "back"}},
             "video/x-raw, format=(string)NV12, width=(int)640, height=(int)480, "
             "framerate=(fraction)30/1"},
            {"libcamera", "/base/cam0", {{"camera-name", "/base/cam0"}}, ""}};
    });
    // One line of valid JSON, whatever bytes the devices call themselves.
    const std::string line =
        DevicesCommand::jsonLine(DevicesCommand::describeCameras(finder, false));
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const json camera = json::parse(line);

    ASSERT_EQ(camera["found"].size(), 2u) << line;  // the libcamera sensor once, through PipeWire
    const json& back = camera["found"][0];
    EXPECT_EQ(back["name"], "Back camera");
    EXPECT_EQ(back["how"], "pipewire");
    EXPECT_EQ(back["facing"], "back");
    EXPECT_EQ(back["mirrored"], false);
    EXPECT_EQ(back["still"], "640x480 (NV12, 30 fps)");
    EXPECT_EQ(back["preview"], "640x480 (NV12, 30 fps)");
    EXPECT_EQ(back["source"],
              "pipewiresrc client-name=Kestrel always-copy=true target-object=\"12\"");
    const json& webcam = camera["found"][1];
    EXPECT_EQ(webcam["name"], "Webcam \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(webcam["how"], "v4l2");
    EXPECT_EQ(webcam["facing"], "unknown");
    EXPECT_EQ(webcam["mirrored"], true);  // a webcam faces its user
    EXPECT_EQ(webcam["mounted"], 0);      // and says nothing of its mounting
    EXPECT_EQ(webcam["still"], "3264x2448 (image/jpeg, 5 fps)");
    EXPECT_EQ(webcam["preview"], "1280x720 (YUY2, 10 fps)");

    EXPECT_EQ(camera["used"], "Back camera by pipewire");
    EXPECT_EQ(camera["source"], back["source"]);
    EXPECT_TRUE(
        camera["why"].get<std::string>().starts_with("the first camera by pipewire (not "
                                                     "the camera portal: no session bus"))
        << camera["why"];
    EXPECT_TRUE(camera["portal"].get<std::string>().starts_with("no session bus"))
        << camera["portal"];

    // --simulate: the window would use the simulated camera, the cameras are still listed.
    const json simulated = DevicesCommand::describeCameras(finder, true);
    EXPECT_EQ(simulated["used"], "simulated (--simulate)");
    EXPECT_EQ(simulated["found"].size(), 2u);
}

TEST(DevicesCommandTest, TheCommandOnTheSessionBusTakesTheDesktopsCameraPortal) {
    if (!test::FakePortal::available())
        GTEST_SKIP() << "dbus-run-session or python3-gi is missing (scripts/deps.sh test)";
    test::FakePortal portal("allow");
    ASSERT_FALSE(portal.bus().empty());
    const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string before = saved ? saved : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", portal.bus().c_str(), 1);
    const auto run = test::runCli({"devices", "--json"});
    if (saved)
        setenv("DBUS_SESSION_BUS_ADDRESS", before.c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_EQ(run.status, 0) << run.err;
    const json out = json::parse(run.out);
    EXPECT_EQ(out["camera"]["used"], "the camera portal's camera by portal") << run.out;
    EXPECT_EQ(out["camera"]["why"], "the desktop's camera portal gives the camera");
    EXPECT_TRUE(out["camera"]["source"].get<std::string>().starts_with(
        "pipewiresrc client-name=Kestrel always-copy=true fd="))
        << run.out;
    EXPECT_FALSE(out["camera"].contains("portal"));
    EXPECT_TRUE(out.contains("accelerometer"));
    EXPECT_TRUE(portal.nextLine(std::chrono::seconds(2)).value_or("").starts_with("remote "));
}

}  // namespace
}  // namespace kestrel
