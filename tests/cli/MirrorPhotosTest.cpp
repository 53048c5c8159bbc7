#include "core/imaging/JpegCodec.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

// The front camera's photo as others see the scene, or as a mirror shows it
// when "Mirror Front Photos" is on: the one the other mirrored left to right.
TEST(MirrorPhotosTest, MirrorFrontPhotosSavesTheFrontCamerasPhotoMirrored) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "camera", "1"}).status, 0);
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "full size photo", "no"}).status, 0);
    auto shoot = [&](const std::string& mirror) {
        EXPECT_EQ(test::runCli({"--config-dir", config, "settings", "set", "mirror front photos", mirror})
                      .status,
                  0);
        const auto run = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--mode", "1",
                                       "--dcim", (dir / ("DCIM-" + mirror)).string()});
        EXPECT_EQ(run.status, 0) << run.err;
        return JpegCodec::decode(test::JpegBytes::read(run.out.substr(0, run.out.size() - 1)));
    };
    const auto plain = shoot("no");
    const auto mirrored = shoot("yes");
    ASSERT_TRUE(plain && mirrored);
    ASSERT_EQ(plain->width(), mirrored->width());
    ASSERT_EQ(plain->height(), mirrored->height());
    ASSERT_LT(plain->width(), plain->height());  // held upright: portrait
    int far = 0;
    for (int y = 20; y < plain->height(); y += 60)
        for (int x = 10; x < plain->width(); x += 40) {
            const std::uint8_t* a = plain->bitmap().row(y) + 4 * x;
            const std::uint8_t* b = mirrored->bitmap().row(y) + 4 * (plain->width() - 1 - x);
            for (int c = 0; c < 3; ++c) far += std::abs(a[c] - b[c]) > 24;
        }
    EXPECT_LE(far, 3);  // JPEG's blocks fall on other pixels once mirrored
    // And it is no mirror of itself: the scene is not symmetric.
    int differs = 0;
    for (int x = 10; x < plain->width() / 2; x += 10)
        differs += std::abs(plain->bitmap().row(200)[4 * x + 1] -
                            plain->bitmap().row(200)[4 * (plain->width() - 1 - x) + 1]) > 24;
    EXPECT_GT(differs, 3);
}

}  // namespace
}  // namespace kestrel
