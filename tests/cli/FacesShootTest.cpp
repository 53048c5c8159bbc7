// kestrel-cli shoot --mode 11 on real photographs (scripts/fetch-samples.sh):
// as GStreamer sources in real time and as the simulated camera's scene on
// virtual time; and a Kestrel without its face finder, or with one that is
// broken.
#include "adapters/linux/FaceModule.h"
#include "core/exif/ExifReader.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cctype>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

fs::path faces() { return test::testPaths().samplesDir.parent_path() / "faces"; }

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

class FacesShootTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FaceModule::locate(nullptr)) GTEST_SKIP() << "no face finder module in this build";
        ASSERT_TRUE(fs::exists(faces() / "astronaut.png")) << "run scripts/fetch-samples.sh";
        set("faces delay", "1");
    }
    void set(const std::string& key, const std::string& value) {
        ASSERT_EQ(test::runCli({"--config-dir", config(), "settings", "set", key, value}).status, 0) << key;
    }
    std::string config() const { return (dir / "config").string(); }
    test::CliResult shoot(std::vector<std::string> args) {
        std::vector<std::string> all{"--config-dir", config(), "shoot", "--mode", "11",
                                     "--dcim", (dir / "DCIM").string()};
        all.insert(all.end(), args.begin(), args.end());
        return test::runCli(all);
    }
    static std::string source(const std::string& picture) {
        return "gst:filesrc location=" + (faces() / picture).string() + " ! decodebin ! imagefreeze";
    }
    test::TempDir dir;
};

TEST_F(FacesShootTest, ASmilingFaceFromAGStreamerSourceIsPhotographedAndSaysSo) {
    const auto shot = shoot({"--camera", source("astronaut.png"), "--max-time", "60"});
    ASSERT_EQ(shot.status, 0) << shot.err;
    const auto paths = linesOf(shot.out);
    ASSERT_EQ(paths.size(), 1u) << shot.out;
    const auto comment = ExifReader(paths[0]).userComment();
    ASSERT_TRUE(comment);
    EXPECT_EQ(*comment, "Kestrel: faces 1 of 1 smiling");
}

TEST_F(FacesShootTest, NoFaceFromAGStreamerSourceTakesNoPhoto) {
    const auto shot = shoot({"--camera", source("coffee.png"), "--max-time", "8"});
    EXPECT_EQ(shot.status, 3) << shot.err;
    EXPECT_TRUE(linesOf(shot.out).empty()) << shot.out;
    EXPECT_FALSE(fs::exists(dir / "DCIM" / "100APPLE" / "IMG_0001.JPG"));
}

// One scene and trigger on virtual time; each is a test of its own, since a
// minute without a photo is 240 looks by the finder, slow under the sanitizers.
struct VirtualScene {
    const char* picture;
    const char* trigger;  // "faces trigger": 0 smile, 1 look
    const char* comment;  // none: no photo in half a minute
};

class FacesVirtualSceneTest : public FacesShootTest, public ::testing::WithParamInterface<VirtualScene> {};

TEST_P(FacesVirtualSceneTest, TheSceneDecidesAndSoDoesTheTrigger) {
    const VirtualScene& c = GetParam();
    set("faces trigger", c.trigger);
    // Half a minute of virtual time: 120 looks, which take minutes under
    // ThreadSanitizer (the real-time GStreamer test waits its own time).
    const auto shot = shoot({"--virtual-time", "--scene", (faces() / c.picture).string(),
                             "--max-time", "30"});
    const auto paths = linesOf(shot.out);
    if (!c.comment) {
        EXPECT_EQ(shot.status, 3) << shot.err;
        EXPECT_TRUE(paths.empty()) << shot.out;
        return;
    }
    ASSERT_EQ(shot.status, 0) << shot.err;
    ASSERT_EQ(paths.size(), 1u) << shot.out;
    EXPECT_EQ(ExifReader(paths[0]).userComment(), c.comment);
}

INSTANTIATE_TEST_SUITE_P(
    OnVirtualTime, FacesVirtualSceneTest,
    ::testing::Values(VirtualScene{"astronaut.png", "0", "Kestrel: faces 1 of 1 smiling"},
                      VirtualScene{"grace_hopper.jpg", "0", nullptr},  // unsmiling
                      VirtualScene{"grace_hopper.jpg", "1", "Kestrel: faces 1 of 1 looking"},
                      VirtualScene{"coffee.png", "0", nullptr},
                      // (A cat's face is the module test's.)
                      VirtualScene{"camera.png", "1", nullptr}),  // in profile, looking elsewhere
    [](const ::testing::TestParamInfo<VirtualScene>& scene) {
        std::string name = std::string(scene.param.picture) + (scene.param.trigger[0] == '0' ? "_smile" : "_look");
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(FacesWithoutFinderTest, Mode11IsRefusedInOneLineAndAStoredOneFallsBackToStandard) {
    test::TempDir dir;
    const std::string config = (dir / "config").string();
    ::setenv("KESTREL_FACES_MODULE", "/nonexistent/kestrel-faces.so", 1);
    const auto refused = test::runCli({"--config-dir", config, "shoot", "--mode", "11",
                                       "--virtual-time", "--dcim", (dir / "DCIM").string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_NE(refused.err.find("face finder module"), std::string::npos) << refused.err;
    // A mode 11 kept from an installation that had it: Standard, and one line says why.
    ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", "camera mode", "11"}).status, 0);
    const auto shot = test::runCli({"--config-dir", config, "shoot", "--virtual-time", "--max-time",
                                    "20", "--dcim", (dir / "DCIM").string()});
    ::unsetenv("KESTREL_FACES_MODULE");
    EXPECT_EQ(shot.status, 0) << shot.err;
    ASSERT_EQ(linesOf(shot.out).size(), 1u) << shot.out;
    EXPECT_EQ(ExifReader(linesOf(shot.out)[0]).userComment(), "Kestrel: shutter");
    EXPECT_NE(shot.err.find("the stored mode is Faces, but the face finder module"), std::string::npos)
        << shot.err;
}

// The face finder's files planted in a fresh folder, through the programs'
// overrides (none: this build's own).
struct PlantedCase {
    const char* module;  // KESTREL_FACES_MODULE
    const char* model;   // KESTREL_FACES_MODEL
    int status;
    const char* says;
};

// A broken module, or one without its model, is refused at start in one
// line; a model that is no model is found out at the first look: said once,
// and the run ends there without a photo instead of waiting out --max-time.
TEST(FacesBrokenFinderTest, RefusedAtStartOrEndedAtTheFirstLookWithoutAPhoto) {
    test::TempDir dir;
    std::ofstream(dir / "kestrel-faces.so") << "not a shared object";
    std::ofstream(dir / "junk.dat") << "not a landmark model";
    const bool built = FaceModule::locate(nullptr) != nullptr;
    const PlantedCase cases[] = {
        {"kestrel-faces.so", nullptr, 2, "cannot be loaded"},
        {nullptr, "missing.dat", 2, "missing.dat is missing"},
        {nullptr, "junk.dat", 1, "cannot shoot any more: Faces: the face finder failed"},
    };
    for (const PlantedCase& c : cases) {
        SCOPED_TRACE(c.module ? c.module : c.model);
        if (!c.module && !built) continue;  // no dlib in this build: nothing to find a model for
        if (c.module) ::setenv("KESTREL_FACES_MODULE", (dir / c.module).c_str(), 1);
        if (c.model) ::setenv("KESTREL_FACES_MODEL", (dir / c.model).c_str(), 1);
        const std::string dcim =
            (dir / (std::string("DCIM-") + (c.module ? c.module : c.model))).string();
        const auto shot = test::runCli(
            {"--config-dir", (dir / "config").string(), "shoot", "--mode", "11", "--virtual-time",
             "--scene", (faces() / "astronaut.png").string(), "--max-time", "30", "--dcim", dcim});
        ::unsetenv("KESTREL_FACES_MODULE");
        ::unsetenv("KESTREL_FACES_MODEL");
        EXPECT_EQ(shot.status, c.status) << shot.err;
        EXPECT_NE(shot.err.find(c.says), std::string::npos) << shot.err;
        EXPECT_TRUE(linesOf(shot.out).empty()) << shot.out;
        const auto lines = std::count(shot.err.begin(), shot.err.end(), '\n');
        // Refused: the one line. Failed: the log's line and the run's.
        EXPECT_EQ(lines, c.status == 2 ? 1 : 2) << shot.err;
    }
}

}  // namespace
}  // namespace kestrel
