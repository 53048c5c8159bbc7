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

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(ShootCommandTest, TheMotionAndTimerModesShootOnTheirTriggers) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    struct Case {
        const char* mode;
        const char* accel;
        int status;
    };
    for (const Case& c : {Case{"0", "steady", 0}, Case{"2", "steady", 0}, Case{"3", "toss", 0},
                          Case{"3", "steady", 3}, Case{"0", "tremor", 3}}) {
        const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode",
                                       c.mode, "--accel", c.accel, "--dcim",
                                       (dir / "DCIM").string(), "--max-time", "30"});
        EXPECT_EQ(run.status, c.status) << "mode " << c.mode << " " << c.accel << ": " << run.err;
    }
}

// A 16-bit mono WAV file of the given samples.
void writeWav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
              std::uint32_t rate) {
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ShootCommandTest, TheSoundModeFiresOnAClapOrAFileAndStaysQuietInARoom) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    const std::string dcim = (dir / "DCIM").string();
    auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "5",
                             "--mic", "clap", "--dcim", dcim, "--trace", "--max-time", "30"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = linesOf(run.out);
    // "    0.000 sensing started" ... "    1.550 picture requested" ... "saved ..." and the path.
    ASSERT_GE(lines.size(), 5u);
    EXPECT_TRUE(has(lines.front(), "sensing started"));
    EXPECT_TRUE(has(run.out, "level 0."));
    const auto requested = std::find_if(lines.begin(), lines.end(),
                                        [](const auto& l) { return has(l, "picture requested"); });
    ASSERT_NE(requested, lines.end());
    EXPECT_NEAR(std::stod(*requested), 1.55, 0.1);  // the clap at 1.5 s
    EXPECT_TRUE(has(run.out, "picture received"));
    EXPECT_EQ(lines.back(), dcim + "/100APPLE/IMG_0001.JPG");
    EXPECT_TRUE(has(lines[lines.size() - 2], "saved " + dcim));

    run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "5", "--mic",
                        "quiet", "--dcim", dcim, "--max-time", "10"});
    EXPECT_EQ(run.status, 3) << run.err;
    // A recording of a converter's offset alone (+40, then -150 units over
    // room noise) is silence at every sensitivity; a clap heard upside down
    // fires at every one.
    std::vector<std::int16_t> hum(8000);
    for (std::size_t i = 0; i < hum.size(); ++i)
        hum[i] = static_cast<std::int16_t>(i % 4 < 2 ? 40 + 20 : 40 - 20);
    writeWav(dir / "hum.wav", hum, 8000);
    for (auto& v : hum)
        v = static_cast<std::int16_t>(v - 190);
    writeWav(dir / "sag.wav", hum, 8000);
    for (const char* level : {"2", "0", "3"}) {
        ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "sound sensitivity",
                                level})
                      .status,
                  0);
        for (const char* file : {"hum.wav", "sag.wav"}) {
            run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "5",
                                "--mic", (dir / file).string(), "--dcim", dcim, "--max-time", "10"});
            EXPECT_EQ(run.status, 3) << file << " at " << level << ": " << run.err;
        }
        run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "5",
                            "--mic", "clap-inverted", "--dcim", dcim, "--max-time", "3"});
        EXPECT_EQ(run.status, 0) << "clap-inverted at " << level << ": " << run.err;
    }
}

TEST(ShootCommandTest, TheTimerIntervalShootsStartToStartAndTheNewKeysAreSettings) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    for (const auto& [key, value] :
         std::vector<std::pair<std::string, std::string>>{{"timer delay", "1"},
                                                          {"timer interval", "5"},
                                                          {"timer count", "3"}})
        ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", key, value}).status, 0)
            << key;
    const auto run =
        test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "2", "--count",
                      "3", "--store", (dir / "store").string(), "--trace"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<double> requested;
    for (const auto& line : linesOf(run.out))
        if (has(line, "picture requested")) requested.push_back(std::stod(line));
    ASSERT_EQ(requested.size(), 3u);
    EXPECT_NEAR(requested[0], 1.2, 1e-3);
    EXPECT_NEAR(requested[1], 6.2, 1e-3);
    EXPECT_NEAR(requested[2], 11.2, 1e-3);
    EXPECT_NE(test::runCli({"--config-dir", config, "settings", "set", "timer interval", "soon"})
                  .status,
              0);
}

TEST(ShootCommandTest, EveryCombiningAndWatchingModeTakesItsPicture) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    struct Case {
        const char* mode;
        const char* scene;
        int status;
        int width;
        int height;
    };
    for (const Case& c : {Case{"4", "moving", 0, 1936, 2592}, Case{"4", "still", 3, 0, 0},
                          Case{"6", "still", 0, 1200, 1600}, Case{"7", "still", 0, 1936, 2592},
                          // The first ratio keeps the camera's own shape, composed or not.
                          Case{"9", "still", 0, 1936, 2592}}) {
        const std::string dcim = (dir / (std::string("DCIM") + c.mode + c.scene)).string();
        const auto run =
            test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", c.mode,
                          "--scene", c.scene, "--dcim", dcim, "--max-time", "25"});
        ASSERT_EQ(run.status, c.status) << "mode " << c.mode << ": " << run.err;
        if (c.status != 0) continue;
        const auto paths = linesOf(run.out);
        ASSERT_EQ(paths.size(), 1u) << run.out;  // a sheet or a merged pair is one picture
        const auto header = JpegCodec::readHeader(test::JpegBytes::read(paths[0]));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->width, c.width) << "mode " << c.mode;
        EXPECT_EQ(header->height, c.height) << "mode " << c.mode;
    }
}

// The time of the first traced `event` (lines of "SECONDS EVENT"), or -1.
double tracedAt(const std::string& out, const std::string& event) {
    for (const std::string& line : linesOf(out)) {
        const std::size_t space = line.find_first_not_of(' ');
        if (space == std::string::npos) continue;
        const std::size_t end = line.find(' ', space);
        if (end != std::string::npos && line.compare(end + 1, event.size(), event) == 0)
            return std::stod(line.substr(space, end - space));
    }
    return -1;
}

// A laptop (no accelerometer): the stabilizer tells stillness from the
// camera's own picture. On virtual time with the simulated camera, and for
// real with a GStreamer test source: a still one is photographed once its
// second has passed, a moving one only at the maximum wait.
TEST(ShootCommandTest, WithoutAnAccelerometerTheStabilizerWatchesThePicture) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    const std::string dcim = (dir / "DCIM").string();
    auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "0",
                             "--accel", "none", "--dcim", dcim, "--max-time", "30", "--trace"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "picture change 0.0")) << run.out;
    EXPECT_FALSE(has(run.out, "not steady within")) << run.out;
    EXPECT_NEAR(tracedAt(run.out, "picture requested") - tracedAt(run.out, "sensing started"), 1.2,
                1e-3);
    // A camera swaying in a hand: the picture at the maximum wait.
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "stabilizer max wait", "3"})
                  .status,
              0);
    run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "0", "--accel",
                        "none", "--scene", "handheld", "--dcim", dcim, "--max-time", "30",
                        "--trace"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "not steady within 3 s: picture anyway")) << run.out;
    EXPECT_NEAR(tracedAt(run.out, "picture requested") - tracedAt(run.out, "sensing started"), 3.0,
                0.11);

    const std::string source = "gst:videotestsrc is-live=true pattern=";
    const std::string format = " ! video/x-raw,width=640,height=480,framerate=30/1";
    run =
        test::runCli({"--config-dir", config, "shoot", "--mode", "0", "--accel", "none", "--camera",
                      source + "pinwheel" + format, "--dcim", dcim, "--max-time", "20", "--trace"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(has(run.out, "not steady within")) << run.out;
    const double stillAfter =
        tracedAt(run.out, "picture requested") - tracedAt(run.out, "sensing started");
    EXPECT_GE(stillAfter, 1.1 - 1e-3) << run.out;  // the trace's times to the millisecond
    EXPECT_LT(stillAfter, 3.0) << run.out;

    // The ball never holds still: the picture comes at the maximum wait.
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "stabilizer max wait", "2"})
                  .status,
              0);
    run =
        test::runCli({"--config-dir", config, "shoot", "--mode", "0", "--accel", "none", "--camera",
                      source + "ball" + format, "--dcim", dcim, "--max-time", "20", "--trace"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "not steady within 2 s: picture anyway")) << run.out;
    EXPECT_GE(tracedAt(run.out, "picture requested") - tracedAt(run.out, "sensing started"),
              2.0 - 1e-3)
        << run.out;
    EXPECT_TRUE(has(run.out, dcim + "/100APPLE/IMG_0004.JPG\n"))
        << run.out;  // the fourth run's photo
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
                                                 {"--mode", "11"}}) {
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
    setenv("KESTREL_IIO_ROOT", (dir / "iio").c_str(), 1);
    auto run =
        test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "0", "--accel",
                      "iio", "--dcim", (dir / "DCIM").string(), "--max-time", "30"});
    EXPECT_EQ(run.status, 0) << run.err;  // held upright and still: the stabilizer shoots
    setenv("KESTREL_IIO_ROOT", (dir / "none").c_str(), 1);
    run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--accel", "iio"});
    unsetenv("KESTREL_IIO_ROOT");
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
