#include "core/exif/ExifReader.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/imaging/JpegCodec.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace kestrel {
namespace {

TEST(ShootCommandTest, ThreePicturesOnVirtualTimeWithDateAndPosition) {
    test::TempDir dir;
    const std::string dcim = (dir / "DCIM").string();
    const auto run = test::runCli({"--config-dir", (dir / "config").string(), "shoot", "--count", "3",
                                   "--virtual-time", "--dcim", dcim, "--location", "48.8584,2.2945", "--mode", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<std::string> paths;
    for (std::string line; std::getline(lines, line);) paths.push_back(line);
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
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "full size photo", "no"}).status, 0);
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "ratio", "2"}).status, 0);
    const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "1", "--store",
                                   (dir / "own").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto header = JpegCodec::readHeader(test::JpegBytes::read(run.out.substr(0, run.out.size() - 1)));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 480);  // 640 × 480 reduced, then the 1:1 crop
    EXPECT_EQ(header->height, 480);
}

TEST(ShootCommandTest, RunsThatCannotFinish) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "1", "--dcim",
                             (dir / "DCIM").string(), "--max-time", "0.1", "--count", "2"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    run = test::runCli({"--config-dir", config, "shoot", "--location", "north"});
    EXPECT_EQ(run.status, 2);
    run = test::runCli({"--config-dir", config, "shoot", "--accel", (dir / "no-such-trace.csv").string()});
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(ShootCommandTest, TheMotionAndTimerModesShootOnTheirTriggers) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    struct Case { const char* mode; const char* accel; int status; };
    for (const Case& c : {Case{"0", "steady", 0}, Case{"2", "steady", 0}, Case{"3", "toss", 0},
                          Case{"3", "steady", 3}, Case{"0", "tremor", 3}}) {
        const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", c.mode, "--accel",
                                       c.accel, "--dcim", (dir / "DCIM").string(), "--max-time", "30"});
        EXPECT_EQ(run.status, c.status) << "mode " << c.mode << " " << c.accel << ": " << run.err;
    }
}

}  // namespace
}  // namespace kestrel
