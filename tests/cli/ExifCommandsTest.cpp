#include "core/exif/LibExifFileWrapper.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace kestrel {
namespace {

using test::JpegBytes;

class ExifCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { JpegBytes::write(dir / "photo.jpg", JpegBytes::encoded()); }
    int cli(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
        const test::CliResult result = test::runCli(std::move(args));
        if (out) *out = result.out;
        if (err) *err = result.err;
        return result.status;
    }
    std::string photo() const { return (dir / "photo.jpg").string(); }
    test::TempDir dir;
};

TEST_F(ExifCommandsTest, StampReadAndDump) {
    std::string out;
    ASSERT_EQ(cli({"exif", "read", photo()}, &out), 0);
    EXPECT_EQ(out, "none\n");
    ASSERT_EQ(cli({"exif", "stamp", photo(), "--lat", "48.8584", "--lon", "2.2945", "--time", "09:05:07",
                   "--make", "Pine64", "--model", "PinePhone"}),
              0);
    ASSERT_EQ(cli({"exif", "read", photo()}, &out), 0);
    EXPECT_EQ(out, "48.858334 2.294500\n");
    ASSERT_EQ(cli({"exif", "dump", photo()}, &out), 0);
    EXPECT_NE(out.find("0\tMake\tPine64\n"), std::string::npos) << out;
    EXPECT_NE(out.find("0\tModel\tPinePhone\n"), std::string::npos);
    EXPECT_NE(out.find("GPS\tGPSLatitude\t48, 51.50,  0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("EXIF\tDateTimeOriginal\t"), std::string::npos);

    ASSERT_EQ(cli({"exif", "stamp", photo(), "--lat", "-33.8568", "--lon", "151.2153", "--seconds-form"}), 0);
    ASSERT_EQ(cli({"exif", "read", photo()}, &out), 0);
    EXPECT_EQ(out.substr(0, 10), "-33.856800");
    ASSERT_EQ(cli({"exif", "stamp", photo()}), 0);  // no position: tags 1-5 only, GPS kept
    ASSERT_EQ(cli({"exif", "read", photo()}, &out), 0);
    EXPECT_NE(out, "none\n");
}

TEST_F(ExifCommandsTest, FailuresLeaveTheFileUntouched) {
    test::Bytes cut = JpegBytes::encoded();
    cut.resize(cut.size() - 3);
    JpegBytes::write(dir / "cut.jpg", cut);
    const std::string cutPath = (dir / "cut.jpg").string();
    const std::vector<std::vector<std::string>> bad{
        {"exif", "stamp", cutPath},
        {"exif", "stamp", (dir / "missing.jpg").string()},
        {"exif", "stamp", cutPath, "--lat", "91", "--lon", "0"},
        {"exif", "stamp", cutPath, "--lat", "1"},
        {"exif", "stamp", cutPath, "--lat", "1", "--lon", "2", "--time", "25:00:00"},
        {"exif", "read", cutPath},
        {"exif", "dump", (dir / "missing.jpg").string()},
        {"exif"},
    };
    for (const auto& args : bad) {
        std::string out, err;
        EXPECT_NE(cli(args, &out, &err), 0) << args.back();
        EXPECT_TRUE(out.empty()) << out;
        EXPECT_FALSE(err.empty());
        EXPECT_EQ(err.substr(err.rfind('\n', err.size() - 2) + 1).rfind("kestrel-cli: ", 0), 0u) << err;
    }
    EXPECT_EQ(JpegBytes::read(dir / "cut.jpg"), cut);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.jpg"));
}

// The comment is shown as its text, every entry on one line whatever a file
// holds (a line break, a tab or a terminal's escape in another writer's
// comment), and read still answers the position and nothing else.
TEST_F(ExifCommandsTest, DumpShowsTheCommentAsTextOnOneLine) {
    struct Case {
        std::string comment;
        std::string shown;
    };
    for (const Case& c : {Case{"Kestrel: motion 6.2 % of the view", "Kestrel: motion 6.2 % of the view"},
                          Case{"two\nlines\tand \x1b[2J gone", "two.lines.and .[2J gone"},
                          Case{std::string(1500, 'y'), std::string(1500, 'y')}}) {
        JpegBytes::write(dir / "photo.jpg", JpegBytes::encoded());
        {
            LibExifFileWrapper file(photo());
            ASSERT_TRUE(file.createEntry(c.comment, "UserComment", "EXIF"));
            ASSERT_TRUE(file.createEntry("Make\nFake\tline", "Make", "0"));
            ASSERT_TRUE(file.saveImageFile());
        }
        std::string out;
        ASSERT_EQ(cli({"exif", "dump", photo()}, &out), 0);
        std::istringstream in(out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "EXIF\tUserComment\t" + c.shown), 1) << out;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "0\tMake\tMake.Fake.line"), 1) << out;
        for (const auto& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
        ASSERT_EQ(cli({"exif", "read", photo()}, &out), 0);
        EXPECT_EQ(out, "none\n");
    }
}

}  // namespace
}  // namespace kestrel
