// kestrel-cli shoot mode by mode: each mode's trigger and the photo it
// takes, and the timer's series over the virtual day. The command's runs,
// devices and refusals in general are in ShootCommandTest.cpp.
#include "core/exif/ExifReader.h"
#include "core/imaging/JpegCodec.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/ProgramCommand.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

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

// Every mode's photos say what took them, with the figure that decided, into
// the device camera roll and into a store of Kestrel's own alike; kestrel-cli
// exif dump shows it as text.
TEST(ShootCommandTest, EveryModesPhotoSaysWhatTookIt) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> settings;
        const char* comment;  // a pattern; its number, if any, is checked against the range
        double low, high;
    };
    const std::vector<Case> cases{
        {"standard", {"--mode", "1"}, {}, "Kestrel: shutter", 0, 0},
        {"stabilizer", {"--mode", "0", "--accel", "steady"}, {}, "Kestrel: steady ([0-9]+\\.[0-9]) s", 2.5, 30},
        {"stabilizer, never still",
         {"--mode", "0", "--accel", "tremor"},
         {{"stabilizer max wait", "4"}},
         "Kestrel: not steady within 4 s", 0, 0},
        {"timer", {"--mode", "2"}, {{"timer delay", "5"}}, "Kestrel: timer 5 s", 0, 0},
        {"toss", {"--mode", "3", "--accel", "toss"}, {}, "Kestrel: jolt ([0-9]+\\.[0-9]{2}) g over 0.5 g", 0.5, 16},
        {"motion", {"--mode", "4", "--scene", "moving"}, {}, "Kestrel: motion ([0-9]+\\.[0-9]) % of the view", 2, 100},
        {"sound", {"--mode", "5", "--mic", "clap"}, {}, "Kestrel: sound (-[0-9]+\\.[0-9]) dBFS over -38 dBFS", -38, 0},
        {"sound, least sensitive",
         {"--mode", "5", "--mic", "clap"},
         {{"sound sensitivity", "2"}},
         "Kestrel: sound (-[0-9]+\\.[0-9]) dBFS over -30 dBFS", -30, 0},
        {"rapid fire", {"--mode", "6"}, {}, "Kestrel: rapid fire, contact sheet of 16", 0, 0},
        {"rapid fire of 25", {"--mode", "6"}, {{"rapid mode", "25"}}, "Kestrel: rapid fire, contact sheet of 25", 0, 0},
        {"double exposure", {"--mode", "7"}, {}, "Kestrel: double exposure of 2 pictures", 0, 0},
        {"3D", {"--mode", "9"}, {}, "Kestrel: anaglyph 3D, red and cyan", 0, 0},
        {"3D by channel", {"--mode", "9"}, {{"3d color", "yes"}}, "Kestrel: anaglyph 3D, red and cyan by channel", 0, 0},
    };
    // The plain shot into both, the modes into one or the other in turn.
    std::size_t run = 0;
    for (const Case& c : cases) {
        const std::vector<const char*> savers =
            run == 0 ? std::vector<const char*>{"--dcim", "--store"}
                     : std::vector<const char*>{run % 2 ? "--store" : "--dcim"};
        for (const char* saver : savers) {
            SCOPED_TRACE(std::string(c.what) + " " + saver);
            test::TempDir dir;
            const std::string config = (dir / "config").string();
            for (const auto& [key, value] : c.settings)
                ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", key, value}).status, 0) << key;
            std::vector<std::string> args{"--config-dir", config, "shoot", "--virtual-time", "--max-time", "40",
                                          saver, (dir / "photos").string()};
            args.insert(args.end(), c.args.begin(), c.args.end());
            const auto shot = test::runCli(args);
            ASSERT_EQ(shot.status, 0) << shot.err;
            const auto paths = linesOf(shot.out);
            ASSERT_EQ(paths.size(), 1u) << shot.out;
            const auto comment = ExifReader(paths[0]).userComment();
            ASSERT_TRUE(comment);
            std::smatch match;
            ASSERT_TRUE(std::regex_match(*comment, match, std::regex(c.comment))) << *comment;
            if (match.size() > 1) {
                const double figure = std::stod(match[1].str());
                EXPECT_GE(figure, c.low) << *comment;
                EXPECT_LE(figure, c.high) << *comment;
            }
            // The dump's line, once, as the text itself.
            if (run % 3 == 0) {
                const auto dump = test::runCli({"exif", "dump", paths[0]});
                ASSERT_EQ(dump.status, 0) << dump.err;
                const auto lines = linesOf(dump.out);
                EXPECT_EQ(std::count(lines.begin(), lines.end(), "EXIF\tUserComment\t" + *comment), 1) << dump.out;
            }
        }
        ++run;
    }
}

// The timer's settings for a run: small pictures, and the keys given.
void setTimer(const std::string& config,
              const std::vector<std::pair<std::string, std::string>>& values) {
    auto all = values;
    all.emplace_back("full size photo", "no");
    for (const auto& [key, value] : all)
        ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", key, value}).status, 0)
            << key;
}

// The virtual times of the trace's lines holding `part`.
std::vector<std::string> traced(const std::string& out, const std::string& part) {
    std::vector<std::string> found;
    for (const auto& line : linesOf(out))
        if (has(line, part)) found.push_back(line);
    return found;
}

std::vector<double> timesOf(const std::vector<std::string>& lines) {
    std::vector<double> times;
    for (const auto& line : lines) times.push_back(std::stod(line));
    return times;
}

TEST(ShootCommandTest, AnIntervalSeriesWithActiveHoursAcrossMidnightTakesItsCountInsideThem) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    setTimer(config, {{"timer delay", "10"},
                      {"timer interval", "1800"},
                      {"timer count", "10"},
                      {"timer active hours", "yes"},
                      {"timer active from", "22:00"},
                      {"timer active to", "02:00"}});
    const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--start-time",
                                   "2026-06-15T21:50:00", "--mode", "2", "--count", "10", "--store",
                                   (dir / "store").string(), "--trace", "--max-time", "200000",
                                   "--accel", "none"});
    ASSERT_EQ(run.status, 0) << run.err;
    // From 22:20:10.2 every half hour to 01:50:10.2, then the next night's two.
    std::vector<double> expected;
    for (int k = 0; k < 8; ++k) expected.push_back(1810.2 + 1800.0 * k);
    expected.push_back(1810.2 + 86400);
    expected.push_back(1810.2 + 86400 + 1800);
    const auto requested = timesOf(traced(run.out, "picture requested"));
    ASSERT_EQ(requested.size(), expected.size()) << run.out;
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(requested[i], expected[i], 1e-3) << i;
    const auto skipped = traced(run.out, "picture skipped (outside active hours)");
    ASSERT_EQ(skipped.size(), 2u) << run.out;
    EXPECT_TRUE(has(skipped[0], "next at 2026-06-15 22:20:10")) << skipped[0];
    EXPECT_TRUE(has(skipped[1], "next at 2026-06-16 22:20:10")) << skipped[1];
    EXPECT_NEAR(timesOf(skipped)[0], 10.2, 1e-3);
    EXPECT_NEAR(timesOf(skipped)[1], 1810.2 + 8 * 1800.0, 1e-3);  // 02:20:10.2
    EXPECT_EQ(traced(run.out, "saved ").size(), 10u);
}

TEST(ShootCommandTest, TheStartTimeIsALocalDateAndTimeForVirtualTimeOnly) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    for (const char* bad : {"2026-12-31 23:59:00", "2026-12-31T23:59:0", "2026-02-30T12:00:00",
                            "2026-12-31T24:00:00", "2026-13-01T00:00", "2026-12-31T23:59:00Z",
                            "31.12.2026", "", "tomorrow", "2026-12-31T23:59:60"}) {
        const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode",
                                       "1", "--store", (dir / "store").string(), "--start-time", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(has(run.err, "--start-time")) << run.err;
    }
    // On real time the system clock runs the day: refused, before anything starts.
    const auto real = test::runCli({"--config-dir", config, "shoot", "--mode", "1", "--store",
                                    (dir / "store").string(), "--start-time", "2026-12-31T23:59:00"});
    EXPECT_EQ(real.status, 2);
    EXPECT_TRUE(has(real.err, "--virtual-time")) << real.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "store"));
    // Without seconds, or with them.
    for (const char* good : {"2026-12-31T23:59", "2026-12-31T23:59:30"}) {
        const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode",
                                       "1", "--store", (dir / "store").string(), "--start-time", good});
        EXPECT_EQ(run.status, 0) << good << ": " << run.err;
    }
}

// Days on which the clocks change, in a zone of their own: the command runs
// as a child with TZ set, so that no other test's zone changes. A series of
// two pictures a day at the start of 07:00 to 07:02 takes the next day's first
// at 07:00 on the clock, 23 hours after the first in spring and 25 in autumn.
TEST(ShootCommandTest, ActiveHoursFollowTheClockThroughADaylightSavingChange) {
    struct Day {
        const char* start;
        const char* next;
        double hoursToNext;
    };
    for (const Day& day : {Day{"2026-03-28T06:00:00", "2026-03-29 07:00:00", 23},
                           Day{"2026-10-24T06:00:00", "2026-10-25 07:00:00", 25}}) {
        SCOPED_TRACE(day.start);
        test::TempDir dir;
        const std::string config = (dir / "config").string();
        setTimer(config, {{"timer delay", "60"},
                          {"timer repeat", "yes"},
                          {"timer active hours", "yes"},
                          {"timer active from", "07:00"},
                          {"timer active to", "07:02"}});
        test::ChildProcess shoot(
            test::programCommand({test::testPaths().cliProgram, "--config-dir", config, "shoot",
                                  "--virtual-time", "--start-time", day.start, "--mode", "2",
                                  "--count", "4", "--store", (dir / "store").string(), "--trace",
                                  "--max-time", "200000", "--accel", "none"}),
            {"TZ=Europe/Berlin"});
        const int status = shoot.finish();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shoot.err;
        const auto requested = timesOf(traced(shoot.out, "picture requested"));
        ASSERT_EQ(requested.size(), 4u) << shoot.out;
        EXPECT_NEAR(requested[0], 3600.0, 1e-3);  // 07:00:00 on the first day
        EXPECT_GT(requested[1], 3600.0 + 60);     // a count-down later, before 07:02
        EXPECT_LT(requested[1], 3600.0 + 120);
        EXPECT_NEAR(requested[2], 3600.0 + day.hoursToNext * 3600, 1e-3);
        EXPECT_LT(requested[3], requested[2] + 120);
        const auto skipped = traced(shoot.out, "picture skipped (outside active hours)");
        ASSERT_EQ(skipped.size(), 2u) << shoot.out;  // the press at 06:00, and after 07:02
        EXPECT_TRUE(has(skipped[1], std::string("next at ") + day.next)) << skipped[1];
    }
    // A time the clocks skip there does not exist: no start for a day.
    test::TempDir dir;
    test::ChildProcess refused(
        test::programCommand({test::testPaths().cliProgram, "--config-dir", (dir / "c").string(),
                              "shoot", "--virtual-time", "--start-time", "2026-03-29T02:30:00"}),
        {"TZ=Europe/Berlin"});
    const int status = refused.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << refused.err;
    EXPECT_TRUE(has(refused.err, "--start-time")) << refused.err;
}

}  // namespace
}  // namespace kestrel
