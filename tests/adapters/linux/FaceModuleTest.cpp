// The face finder module on real photographs from Debian's packages
// (scripts/fetch-samples.sh): the faces it finds, their smiles and whether
// they look at the camera, and a Kestrel whose module is missing, broken, or
// without a model it can read.
#include "adapters/linux/FaceModule.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageResizer.h"
#include "core/imaging/ImageUtils.h"
#include "core/platform/Log.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

fs::path faces() { return test::testPaths().samplesDir.parent_path() / "faces"; }

Image photo(const std::string& name) {
    auto image = ImageFile::read(faces() / name);
    if (!image) ADD_FAILURE() << faces() / name << " is missing: run scripts/fetch-samples.sh";
    return image ? *image : Image();
}

// Two photographs side by side at 480 × 480 each: a group of two. (The
// detector looks for faces of 80 pixels or more.)
constexpr int kSide = 480;
Image sideBySide(const Image& left, const Image& right) {
    Bitmap both(2 * kSide, kSide);
    int x = 0;
    for (const Image* part : {&left, &right}) {
        const Image scaled = ImageResizer::colorMatch(
            ImageUtils::drawPosterImage(*part, Size{kSide, kSide}), Size{0, 0});
        for (int y = 0; y < kSide; ++y)
            std::memcpy(both.row(y) + x * 4, scaled.bitmap().row(y), kSide * 4);
        x += kSide;
    }
    return Image(std::move(both));
}

class FaceModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        module = FaceModule::locate(&why);
        if (!module) GTEST_SKIP() << "no face finder module in this build: " << why;
        ASSERT_TRUE(module->open(&why)) << why;
    }
    std::unique_ptr<FaceModule> module;
};

struct PhotoCase {
    const char* name;
    int faces;
    int smiling;
    int looking;
};

TEST_F(FaceModuleTest, FacesSmilesAndLooksOnRealPhotographs) {
    const PhotoCase cases[] = {
        {"astronaut.png", 1, 1, 1},     // Eileen Collins, smiling at the camera
        {"grace_hopper.jpg", 1, 0, 1},  // Grace Hopper, unsmiling, at the camera
        {"camera.png", 0, 0, 0},        // a man in profile behind a camera
        {"coffee.png", 0, 0, 0},
        {"chelsea.png", 0, 0, 0},       // a cat's face is no person's
        {"rocket.jpg", 0, 0, 0},
    };
    for (const PhotoCase& c : cases) {
        const Image picture = ImageUtils::drawPosterImage(photo(c.name), Size{480, 480});
        const std::vector<FoundFace> found = module->findFaces(picture);
        int smiling = 0, looking = 0;
        for (const FoundFace& face : found) {
            smiling += face.smiling;
            looking += face.lookingAtCamera;
            EXPECT_GT(face.box.width, 40) << c.name;
        }
        EXPECT_EQ(static_cast<int>(found.size()), c.faces) << c.name;
        EXPECT_EQ(smiling, c.smiling) << c.name;
        EXPECT_EQ(looking, c.looking) << c.name;
    }
}

TEST_F(FaceModuleTest, TwoPeopleSideBySideAreTwoFacesOneSmiling) {
    const Image smiling = photo("astronaut.png");
    const Image unsmiling = photo("grace_hopper.jpg");
    ASSERT_TRUE(smiling && unsmiling);
    const std::vector<FoundFace> found = module->findFaces(sideBySide(smiling, unsmiling));
    ASSERT_EQ(found.size(), 2u);
    const FoundFace& left = found[0].box.x < found[1].box.x ? found[0] : found[1];
    const FoundFace& right = &left == &found[0] ? found[1] : found[0];
    EXPECT_TRUE(left.smiling);
    EXPECT_FALSE(right.smiling);
    EXPECT_LT(left.box.x + left.box.width, kSide);
    EXPECT_GT(right.box.x, kSide);
}

TEST(FaceModuleMissingTest, AMissingModuleOrModelIsNotFoundAndSaysWhy) {
    const char* before = std::getenv("KESTREL_FACES_MODULE");
    const std::string saved = before ? before : "";
    ::setenv("KESTREL_FACES_MODULE", "/nonexistent/kestrel-faces.so", 1);
    std::string why;
    EXPECT_FALSE(FaceModule::locate(&why));
    EXPECT_NE(why.find("not installed"), std::string::npos) << why;
    if (before) ::setenv("KESTREL_FACES_MODULE", saved.c_str(), 1); else ::unsetenv("KESTREL_FACES_MODULE");

    // A file that is no module, and a model that is no model: it says why and finds nothing.
    FaceModule notAModule(faces() / "coffee.png", FaceModule::kDefaultModel);
    EXPECT_FALSE(notAModule.open(&why));
    EXPECT_NE(why.find("cannot be loaded"), std::string::npos) << why;
    EXPECT_TRUE(notAModule.findFaces(photo("astronaut.png")).empty());
}

// Files planted in a fresh folder: a module that is no shared object, a
// model that is no model, an empty one.
struct PlantedFiles {
    PlantedFiles() {
        std::ofstream(dir / "kestrel-faces.so") << "not a shared object";
        std::ofstream(dir / "junk.dat") << "not a landmark model";
        std::ofstream(dir / "empty.dat");
    }
    // The module this build made, where locate() finds it; empty without dlib.
    static fs::path builtModule() {
        for (const fs::path& candidate : FaceModule::searchPath())
            if (fs::is_regular_file(candidate)) return candidate;
        return {};
    }
    test::TempDir dir;
};

struct LocateCase {
    const char* module;  // planted; "built": this build's module
    const char* model;   // planted
    const char* says;    // none: located
};

// Start-up decides cheaply, without reading the model: only a module that
// loads, with a model file that can be opened, is offered.
TEST(FaceModuleLocateTest, ABrokenModuleOrAModelItCannotReadIsNotOfferedAndSaysWhy) {
    const PlantedFiles planted;
    const fs::path built = PlantedFiles::builtModule();
    const LocateCase cases[] = {
        {"kestrel-faces.so", "junk.dat", "cannot be loaded"},
        {"built", "missing.dat", "is missing (libdlib-data installs it)"},
        {"built", "empty.dat", "cannot be read"},
        {"built", "junk.dat", nullptr},  // its contents are the first look's to read
    };
    for (const LocateCase& c : cases) {
        SCOPED_TRACE(std::string(c.module) + " with " + c.model);
        const bool needsBuilt = std::string(c.module) == "built";
        if (needsBuilt && built.empty()) continue;  // no dlib in this build: the first cases only
        const fs::path module = needsBuilt ? built : planted.dir / c.module;
        std::string why;
        const auto found = FaceModule::locate({module}, planted.dir / c.model, &why);
        if (!c.says) {
            EXPECT_TRUE(found) << why;
            continue;
        }
        EXPECT_FALSE(found);
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
}

// A model that passed start-up's look but is no model: the first look reads
// it, says so in one line of the log, and the finder has failed for good.
TEST(FaceModuleLocateTest, AModelThatCannotBeReadAtTheFirstLookFailsOnceAndForGood) {
    const PlantedFiles planted;
    const fs::path built = PlantedFiles::builtModule();
    if (built.empty()) GTEST_SKIP() << "no face finder module in this build";
    auto module = FaceModule::locate({built}, planted.dir / "junk.dat", nullptr);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->failure(), "");
    std::vector<std::string> lines;
    const Log::Sink before = Log::setSink(
        [&lines](Log::Level, std::string_view message) { lines.emplace_back(message); });
    const Image picture = ImageUtils::drawPosterImage(photo("astronaut.png"), Size{480, 480});
    EXPECT_TRUE(module->findFaces(picture).empty());
    EXPECT_TRUE(module->findFaces(picture).empty());
    Log::setSink(before);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("junk.dat cannot be read"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find('\n'), std::string::npos) << lines[0];  // dlib's lines, one
    EXPECT_NE(module->failure().find("cannot be read"), std::string::npos) << module->failure();
}

}  // namespace
}  // namespace kestrel
