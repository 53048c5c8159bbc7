#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/platform/ManualRunLoop.h"
#include "core/store/ExifImageSaver.h"
#include "support/CliRunner.h"
#include "support/ExifTags.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <mutex>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

const FixedSystemInfo kModern("4.2", "test");
const SystemUtils kSystem(kModern);

TEST(ExifImageSaverTest, SavesInTheBackgroundAndCompletesOnTheMainLoop) {
    test::TempDir dir;
    ManualRunLoop loop;
    auto store = std::make_shared<CameraRoll>(dir.path().string(), kSystem);
    store->parse(false);
    auto location = std::make_shared<FixedLocationSource>(GeoPosition{-33.8568, 151.2153, {}});
    const Image picture = test::TestImages::noise(160, 120, 4);
    std::vector<std::optional<std::string>> completions;
    WorkerQueue worker("own store", loop);
    ExifImageSaver::saveInThread(picture, store, worker, location, PhotoOrigin{},
                                 [&](const std::optional<std::string>& path) { completions.push_back(path); });
    EXPECT_TRUE(completions.empty());  // not before the main loop runs it
    ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
    loop.runUntilIdle();
    ASSERT_EQ(completions.size(), 1u);
    ASSERT_TRUE(completions[0]);
    const std::string photo = *completions[0];
    EXPECT_EQ(photo, (dir / "100APPLE" / "IMG_0001.JPG").string());
    // The store was read fully again before the completion.
    ASSERT_EQ(store->files().size(), 1u);
    const auto thumbnail = JpegCodec::decode(test::JpegBytes::read(store->files()[0]->thumbnailFile()));
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width(), 75);
    const auto poster = JpegCodec::decode(test::JpegBytes::read(store->getPosterPath()));
    ASSERT_TRUE(poster);
    EXPECT_EQ(poster->width(), 55);
    const auto position = ExifReader(photo).read();
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->latitude, -33.8568, 1e-4);
    EXPECT_NE(LibExifFileWrapper(photo).findEntry("DateTimeOriginal", "EXIF"), nullptr);
}

// Counts the disk steps of AtomicFile while alive.
class StepCounter {
public:
    StepCounter() {
        AtomicFile::setFaultInjector([this](AtomicFile::Step step) {
            std::lock_guard lock(mutex_);
            ++counts_[step];
            return false;
        });
    }
    ~StepCounter() { AtomicFile::setFaultInjector(nullptr); }
    StepCounter(const StepCounter&) = delete;
    StepCounter& operator=(const StepCounter&) = delete;
    int operator[](AtomicFile::Step step) {
        std::lock_guard lock(mutex_);
        return counts_[step];
    }

private:
    std::mutex mutex_;
    std::map<AtomicFile::Step, int> counts_;
};

TEST(ExifImageSaverTest, ThePhotoIsWrittenOnceAndCarriesTheTagsOfTheTwoStepRoad) {
    test::TempDir dir;
    const FixedLocationSource location(GeoPosition{-33.8568, 151.2153, std::chrono::system_clock::now()});
    const auto encoded = ExifImageSaver::encode(test::TestImages::noise(160, 120, 4));
    ASSERT_TRUE(encoded);
    CameraRoll store((dir / "DCIM").string(), kSystem);
    store.parse(false);
    std::optional<std::string> saved;
    {
        StepCounter steps;
        saved = ExifImageSaver::saving(*encoded, store, &location);
        // The photo is published once and never replaced; the thumbnail, the
        // poster and the record are the three files written over.
        EXPECT_EQ(steps[AtomicFile::Step::kRenameNoReplace], 1);
        EXPECT_EQ(steps[AtomicFile::Step::kRename], 3);
        EXPECT_EQ(steps[AtomicFile::Step::kCreate], 4);
    }
    ASSERT_TRUE(saved);

    // The old road: the encoded photo written, then stamped in place.
    const auto twoStep = dir / "two-step.jpg";
    test::JpegBytes::write(twoStep, encoded->image);
    ASSERT_TRUE(ExifWriter::writePhoto(twoStep, &location));
    const auto photo = test::JpegBytes::read(*saved);
    EXPECT_EQ(test::exifTagsOf(photo, true), test::exifTagsOf(test::JpegBytes::read(twoStep), true));
    EXPECT_EQ(test::withoutExif(photo), encoded->image);
    EXPECT_TRUE(ExifReader(*saved).read());
}

TEST(ExifImageSaverTest, AFailedSaveStillCompletesAndSaysSo) {
    test::TempDir dir;
    std::ofstream(dir / "100APPLE") << "a file where the folder should be";
    ManualRunLoop loop;
    auto store = std::make_shared<CameraRoll>(dir.path().string(), kSystem);
    store->parse(false);
    int calls = 0;
    std::optional<std::string> result = std::string("unset");
    WorkerQueue worker("own store", loop);
    ExifImageSaver::saveInThread(test::TestImages::noise(40, 30, 1), store, worker, nullptr, PhotoOrigin{},
                                 [&](const std::optional<std::string>& path) {
                                     ++calls;
                                     result = path;
                                 });
    ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
    loop.runUntilIdle();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(result);
}

TEST(StoreCommandsTest, SaveAndList) {
    test::TempDir dir;
    const auto picture = dir / "in.jpg";
    test::JpegBytes::write(picture, test::JpegBytes::encoded(120, 90));
    const std::string root = (dir / "DCIM").string();
    auto first = test::runCli({"store", "save", root, picture.string(), "--lat", "48.8584", "--lon", "2.2945"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, root + "/100APPLE/IMG_0001.JPG\n");
    ASSERT_EQ(test::runCli({"store", "save", root, picture.string()}).status, 0);
    const auto list = test::runCli({"store", "list", root, "--json"});
    ASSERT_EQ(list.status, 0);
    const auto json = nlohmann::json::parse(list.out);
    EXPECT_EQ(json["count"], 2);
    EXPECT_EQ(json["folders"][0]["folder"], "100APPLE");
    EXPECT_EQ(json["folders"][0]["lastRecord"], 2);
    EXPECT_EQ(json["files"].size(), 2u);
    EXPECT_EQ(json["files"][1]["fileSequence"], 2);

    const auto bad = test::runCli({"store", "save", root, (dir / "missing.png").string()});
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(bad.out.empty());
}

}  // namespace
}  // namespace kestrel
