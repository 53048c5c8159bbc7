// kestrel-cli shoot as a command: what a run writes, the settings and the
// devices it takes, and what it refuses before anything is written. Each
// mode's own trigger and photo are in ShootModesTest.cpp.
#include "cli/CliContext.h"
#include "core/exif/ExifReader.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/imaging/JpegCodec.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

TEST(ShootCommandTest, ThreePicturesOnVirtualTimeWithDateAndPosition) {
    test::TempDir dir;
    const std::string dcim = (dir / "DCIM").string();
    const auto run = test::runCli({"--config-dir", (dir / "config").string(), "shoot", "--count",
                                   "3", "--virtual-time", "--dcim", dcim, "--location",
                                   "48.8584,2.2945", "--mode", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<std::string> paths;
    for (std::string line; std::getline(lines, line);)
        paths.push_back(line);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[2], dcim + "/100APPLE/IMG_0003.JPG");
    for (const auto& path : paths) {
        const auto header = JpegCodec::readHeader(test::JpegBytes::read(path));
        ASSERT_TRUE(header) << path;
        EXPECT_EQ(header->width * header->height, 2592 * 1936);  // the simulated camera's stills
        const auto position = ExifReader(path).read();
        ASSERT_TRUE(position) << path;
        EXPECT_NEAR(position->latitude, 48.8583, 1e-3);
        EXPECT_NE(LibExifFileWrapper(path).findEntry("DateTimeOriginal", "EXIF"), nullptr);
    }
}

TEST(ShootCommandTest, TheSettingsShapeThePictures) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    ASSERT_EQ(
        test::runCli({"--config-dir", config, "settings", "set", "full size photo", "no"}).status,
        0);
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "ratio", "2"}).status, 0);
    const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "1",
                                   "--store", (dir / "own").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto header =
        JpegCodec::readHeader(test::JpegBytes::read(run.out.substr(0, run.out.size() - 1)));
    ASSERT_TRUE(header);
    // 2592 × 1936 reduced to fit 640 × 480 with its shape kept (478 × 640
    // upright), then the 1:1 crop.
    EXPECT_EQ(header->width, 478);
    EXPECT_EQ(header->height, 478);
}

TEST(ShootCommandTest, RunsThatCannotFinish) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    auto run =
        test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "1", "--dcim",
                      (dir / "DCIM").string(), "--max-time", "0.1", "--count", "2"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    run = test::runCli({"--config-dir", config, "shoot", "--location", "north"});
    EXPECT_EQ(run.status, 2);
    run = test::runCli(
        {"--config-dir", config, "shoot", "--accel", (dir / "no-such-trace.csv").string()});
    EXPECT_EQ(run.status, 2);
}

// Moving needs an accelerometer: without one kestrel-cli says so in one line
// and takes no picture, writing nothing.
TEST(ShootCommandTest, MovingWithoutAnAccelerometerSaysWhyAndWritesNothing) {
    test::TempDir dir;
    const std::string dcim = (dir / "DCIM").string();
    const auto run =
        test::runCli({"--config-dir", (dir / "config").string(), "shoot", "--virtual-time",
                      "--mode", "3", "--accel", "none", "--dcim", dcim, "--max-time", "30"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "kestrel-cli: mode 3 cannot shoot here: Moving needs an accelerometer\n");
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dcim));
}

TEST(ShootCommandTest, UnknownDevicesAndModesAreRefused) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--mic", "whistle"},
                                                 {"--mic", (dir / "none.wav").string()},
                                                 {"--scene", "busy"},
                                                 {"--mode", "8"},
                                                 {"--mode", "12"}}) {
        std::vector<std::string> all{"--config-dir",   config,   "shoot",
                                     "--virtual-time", "--dcim", (dir / "D").string()};
        all.insert(all.end(), args.begin(), args.end());
        const auto run = test::runCli(all);
        EXPECT_EQ(run.status, 2) << args[0] << " " << args[1];
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(ShootCommandTest, TheRealDevicesAreFoundOrRefusedInOneLine) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    const std::filesystem::path device = dir / "iio/iio:device3";
    std::filesystem::create_directories(device);
    for (const auto& [file, value] : {std::pair{"in_accel_x_raw", "0"},
                                      {"in_accel_y_raw", "512"},
                                      {"in_accel_z_raw", "0"},
                                      {"in_accel_scale", "0.019153"}})
        std::ofstream(device / file) << value << "\n";
    const auto iioUnder = [](std::filesystem::path root) {
        return [root](cli::CliContext& context) { context.iioRoot = root.string(); };
    };
    auto run =
        test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "0", "--accel",
                      "iio", "--dcim", (dir / "DCIM").string(), "--max-time", "30"},
                     iioUnder(dir / "iio"));
    EXPECT_EQ(run.status, 0) << run.err;  // held upright and still: the stabilizer shoots
    run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--accel", "iio"},
                       iioUnder(dir / "none"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const char* previous = std::getenv("PULSE_SERVER");
    const std::string saved = previous ? previous : "";
    setenv("PULSE_SERVER", ("unix:" + (dir / "no-server").string()).c_str(), 1);
    run = test::runCli(
        {"--config-dir", config, "shoot", "--virtual-time", "--mode", "5", "--mic", "pulse"});
    if (previous) {
        setenv("PULSE_SERVER", saved.c_str(), 1);
    } else {
        unsetenv("PULSE_SERVER");
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no sound server"), std::string::npos) << run.err;
}

TEST(ShootCommandTest, ACameraThatIsNoSourceOrDoesNotStartStopsTheRunBeforeAnythingIsWritten) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    const std::string dcim = (dir / "DCIM").string();
    auto run =
        test::runCli({"--config-dir", config, "shoot", "--camera", "webcam", "--dcim", dcim});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "kestrel-cli: --camera: \"webcam\" is not auto, sim, pipewire[:NODE], "
              "libcamera[:NAME], v4l2:/dev/videoN nor gst:DESCRIPTION\n");
    run = test::runCli({"--config-dir", config, "shoot", "--camera", "v4l2:/dev/kestrel-test-none",
                        "--dcim", dcim});
    EXPECT_EQ(run.status, 1);
    // One line, naming the source and why.
    EXPECT_EQ(run.err.rfind("kestrel-cli: camera v4l2:/dev/kestrel-test-none: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dcim));
}

// A laptop's webcam: landscape frames, no accelerometer. Its photos are
// upright and landscape; a camera mounted a quarter turn (told, or tagged by
// its stream) gives upright portrait photos. The SMPTE bars run white to
// blue from the frame's left edge, so upright they run from the photo's
// left edge, and turned a quarter clockwise from its top.
TEST(ShootCommandTest, AWebcamsPhotosAreUprightAndAMountedCamerasTurnedByItsMounting) {
    const std::string bars = "gst:videotestsrc pattern=smpte ! video/x-raw,width=640,height=360";
    struct Case {
        std::string camera;
        std::vector<std::string> extra;
        int width, height;
    };
    const Case cases[] = {
        {bars, {}, 640, 360},
        {bars, {"--camera-rotation", "90"}, 360, 640},
        {bars + " ! taginject tags=\"image-orientation=rotate-90\"", {}, 360, 640},
        {bars + " ! taginject tags=\"image-orientation=rotate-90\"", {"--camera-rotation", "0"}, 640, 360},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::vector<std::string> args{"--config-dir", (dir / "config").string(), "shoot",
                                      "--camera", c.camera, "--accel", "none", "--mode", "1",
                                      "--dcim", (dir / "DCIM").string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const auto run = test::runCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto photo = JpegCodec::decode(test::JpegBytes::read(run.out.substr(0, run.out.size() - 1)));
        ASSERT_TRUE(photo) << c.camera;
        ASSERT_EQ(photo->width(), c.width) << c.camera;
        ASSERT_EQ(photo->height(), c.height) << c.camera;
        const bool portrait = c.height > c.width;
        auto colourAt = [&](double along) {
            const int x = portrait ? c.width / 2 : static_cast<int>(along * (c.width - 1));
            const int y = portrait ? static_cast<int>(along * (c.height - 1)) : c.height / 3;
            const std::uint8_t* p = photo->bitmap().row(y) + 4 * x;
            return std::array<int, 3>{p[0], p[1], p[2]};
        };
        const auto first = colourAt(0.04), last = colourAt(0.96);
        EXPECT_GT(first[1], 200) << c.camera;  // white: green is high
        EXPECT_LT(last[1], 60) << c.camera;    // blue: green is low
        EXPECT_GT(last[0], 150) << c.camera;
    }
    // A mounting that is no quarter turn is refused.
    test::TempDir dir;
    const auto refused = test::runCli({"--config-dir", (dir / "config").string(), "shoot",
                                       "--camera-rotation", "45", "--dcim", (dir / "DCIM").string()});
    EXPECT_EQ(refused.status, 2) << refused.err;
}

}  // namespace
}  // namespace kestrel
