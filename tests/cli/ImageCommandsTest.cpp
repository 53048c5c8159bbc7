#include "support/CliRunner.h"
#include "core/imaging/ImageFile.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Rgb;
using test::TestImages;

class ImageCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Image picture = TestImages::make(400, 300, [](int x, int y) {
            return Rgb{x * 255 / 399, y * 255 / 299, (x + y) % 256};
        });
        ASSERT_TRUE(ImageFile::write(dir / "in.png", picture));
        ASSERT_TRUE(ImageFile::write(dir / "in.jpg", picture));
    }

    int cli(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
        const test::CliResult result = test::runCli(std::move(args));
        if (out) *out = result.out;
        if (err) *err = result.err;
        return result.status;
    }
    std::string p(const std::string& name) const { return (dir / name).string(); }
    std::string bytes(const std::string& name) const {
        std::ifstream in(dir / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    test::TempDir dir;
};

TEST_F(ImageCommandsTest, ComposeRunsThePhotoProcessing) {
    std::string out;
    ASSERT_EQ(cli({"compose", p("in.png"), p("square.png"), "--ratio", "2", "--effect", "6"}, &out), 0);
    const auto json = nlohmann::json::parse(out);
    EXPECT_EQ(json["width"], 300);
    EXPECT_EQ(json["height"], 300);
    const auto square = ImageFile::read(p("square.png"));
    ASSERT_TRUE(square);
    const Rgb c = TestImages::at(*square, 10, 10);
    EXPECT_EQ(c.g, 0);  // red channel only
    EXPECT_EQ(c.b, 0);
    EXPECT_NEAR(c.r, (50 + 10) * 255 / 399, 1);

    ASSERT_EQ(cli({"compose", p("in.jpg"), p("small.jpg"), "--reduce", "--effect", "10"}, &out), 0);
    EXPECT_EQ(nlohmann::json::parse(out)["width"], 640);
    ASSERT_EQ(cli({"compose", p("in.png"), p("turned.png"), "--orientation", "3", "--zoom", "1.5"}), 0);
    EXPECT_EQ(ImageFile::read(p("turned.png"))->width(), 300);
}

TEST_F(ImageCommandsTest, NothingToDoCopiesThePictureUntouched) {
    ASSERT_EQ(cli({"compose", p("in.jpg"), p("copy.jpg")}), 0);
    EXPECT_EQ(bytes("copy.jpg"), bytes("in.jpg"));
}

TEST_F(ImageCommandsTest, BadInputFailsAndLeavesNoOutput) {
    const std::vector<std::vector<std::string>> bad{
        {"compose", p("in.png"), p("o.png"), "--ratio", "29"},
        {"compose", p("in.png"), p("o.png"), "--ratio", "-1"},
        {"compose", p("in.png"), p("o.png"), "--zoom", "0.5"},
        {"compose", p("in.png"), p("o.png"), "--zoom", "4.5"},
        {"compose", p("in.png"), p("o.png"), "--effect", "11"},
        {"compose", p("in.png"), p("o.gif")},
        {"compose", p("in.bmp"), p("o.png")},
        {"compose", p("missing.png"), p("o.png")},
        {"compose", p("in.png"), p("o.png"), "--quality", "2"},
        {"nightvision", p("missing.jpg"), p("o.png")},
        {"resize", p("in.png"), p("o.png"), "0", "10"},
        {"poster", p("in.png"), p("o.png")},
    };
    std::ofstream(dir / "fake.jpg") << "not a jpeg";
    auto all = bad;
    all.push_back({"compose", p("fake.jpg"), p("o.png"), "--effect", "1"});
    all.push_back({"compose", p("fake.jpg"), p("o.jpg")});
    for (const auto& args : all) {
        std::string out, err;
        EXPECT_NE(cli(args, &out, &err), 0) << args[0] << " " << args.back();
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(fs::exists(dir / "o.png"));
        EXPECT_FALSE(fs::exists(dir / "o.jpg"));
    }
}

TEST_F(ImageCommandsTest, MergeResizePosterAndNightVision) {
    ASSERT_EQ(cli({"merge", p("in.png"), p("in.png"), p("m.png"), "--channel"}), 0);
    EXPECT_EQ(TestImages::maxDifference(*ImageFile::read(p("m.png")), *ImageFile::read(p("in.png"))), 0);
    ASSERT_EQ(cli({"resize", p("in.png"), p("r.png"), "300", "400", "--smart"}), 0);
    EXPECT_EQ(ImageFile::read(p("r.png"))->width(), 400);
    ASSERT_EQ(cli({"resize", p("in.png"), p("r2.png"), "30", "40"}), 0);
    EXPECT_EQ(ImageFile::read(p("r2.png"))->width(), 30);
    ASSERT_EQ(cli({"poster", p("in.jpg"), p("poster.jpg"), "55"}), 0);
    EXPECT_EQ(ImageFile::read(p("poster.jpg"))->height(), 55);
    ASSERT_EQ(cli({"nightvision", p("in.png"), p("nv.png")}), 0);
    const Rgb c = TestImages::at(*ImageFile::read(p("nv.png")), 100, 100);
    EXPECT_TRUE(c.r == c.g && c.g == c.b);
}

}  // namespace
}  // namespace kestrel
