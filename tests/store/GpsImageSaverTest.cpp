#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/store/DeviceLocation.h"
#include "core/store/ExifImageSaver.h"
#include "core/store/GpsImageSaver.h"
#include "support/ExifTags.h"
#include "support/JpegBytes.h"
#include "support/MemoryStore.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Runs the loop until `done`, waiting for the posts of saving threads.
void runUntil(ManualRunLoop& loop, const bool& done) {
    while (!done) {
        ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
        loop.runUntilIdle();
    }
}

TEST(GpsImageSaverTest, TheDeviceRollWayFindsTheNewPhotoAndTagsIt) {
    test::TempDir dir;
    const std::string root = (dir / "DCIM").string();
    ManualRunLoop loop;
    DcimPhotoAlbum album(root, loop);
    GpsImageSaver saver(album, root, loop, nullptr);
    const Image picture = test::TestImages::noise(64, 48, 9);

    std::vector<std::optional<std::string>> told;
    bool done = false;
    const GeoPosition where{48.8584, 2.2945, std::chrono::system_clock::now()};
    saver.saveImage(picture, where, nullptr, [&](const std::optional<std::string>& path) {
        told.push_back(path);
        done = true;
    });
    runUntil(loop, done);
    ASSERT_EQ(told.size(), 1u);
    ASSERT_TRUE(told[0]);
    EXPECT_EQ(*told[0], root + "/100APPLE/IMG_0001.JPG");
    const auto position = ExifReader(*told[0]).read();
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->latitude, 48.8583, 1e-3);
    // Tag for tag what the album's date and device tags and a second stamp
    // with the position used to give, in a photo written once.
    const auto twoStep = dir / "two-step.jpg";
    const auto encoded = ExifImageSaver::encode(picture);
    ASSERT_TRUE(encoded);
    test::JpegBytes::write(twoStep, encoded->image);
    ASSERT_TRUE(ExifWriter::writePhoto(twoStep, static_cast<const LocationSource*>(nullptr)));
    ASSERT_TRUE(ExifWriter::writePhoto(twoStep, where));
    const auto photo = test::JpegBytes::read(*told[0]);
    EXPECT_EQ(test::exifTagsOf(photo, true), test::exifTagsOf(test::JpegBytes::read(twoStep), true));
    EXPECT_EQ(test::withoutExif(photo), encoded->image);

    // Without a position the file stays as the album wrote it: no GPS tags.
    done = false;
    saver.saveImage(picture, std::nullopt, nullptr, [&](const std::optional<std::string>& path) {
        told.push_back(path);
        done = true;
    });
    runUntil(loop, done);
    ASSERT_EQ(told.size(), 2u);
    ASSERT_TRUE(told[1]);
    EXPECT_EQ(*told[1], root + "/100APPLE/IMG_0002.JPG");
    EXPECT_FALSE(ExifReader(*told[1]).read());
}

TEST(GpsImageSaverTest, AStoreOfOurOwnGoesThroughTheBackgroundSaver) {
    test::TempDir dir;
    ManualRunLoop loop;
    DcimPhotoAlbum album((dir / "unused").string(), loop);
    auto location = std::make_shared<FixedLocationSource>(GeoPosition{10.5, -20.25, {}});
    GpsImageSaver saver(album, (dir / "unused").string(), loop, location);
    auto store = std::make_shared<CameraRoll>((dir / "own").string());
    bool done = false;
    std::optional<std::string> saved;
    saver.saveImage(test::TestImages::noise(32, 24, 2), std::nullopt, store,
                    [&](const std::optional<std::string>& p) {
                        saved = p;
                        done = true;
                    });
    runUntil(loop, done);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->rfind((dir / "own").string(), 0), 0u);
    const auto position =
        ExifReader(*saved).read();  // the location source's position, seconds form
    ASSERT_TRUE(position);
    EXPECT_NEAR(position->longitude, -20.25, 1e-4);
    EXPECT_FALSE(std::filesystem::exists(dir / "unused"));
}

TEST(GpsImageSaverTest, SavesQueuedBackToBackOnTheWorkersLandInOrder) {
    test::TempDir dir;
    const std::string root = (dir / "DCIM").string();
    ManualRunLoop loop;
    WorkerQueue ownStore("own store", loop);
    WorkerQueue cameraRoll("camera roll", loop);
    DcimPhotoAlbum album(root, loop, cameraRoll);
    GpsImageSaver saver(album, root, loop, nullptr, ownStore);
    auto store = std::make_shared<CameraRoll>((dir / "own").string());

    // Three photos into the own store before the main loop turns once: each
    // job finds the numbers the one before it took.
    std::vector<std::string> saved;
    for (std::uint32_t seed = 1; seed <= 3; ++seed)
        saver.saveImage(test::TestImages::noise(32, 24, seed), std::nullopt, store,
                        [&](const std::optional<std::string>& path) { saved.push_back(path.value_or("")); });
    EXPECT_EQ(saver.savesStarted(), 3u);
    ASSERT_TRUE(ownStore.drain(std::chrono::seconds(60)));
    EXPECT_TRUE(saved.empty());  // the completions wait for the main loop
    loop.runUntilIdle();
    const std::string folder = (dir / "own" / "100APPLE").string();
    EXPECT_EQ(saved, (std::vector<std::string>{folder + "/IMG_0001.JPG", folder + "/IMG_0002.JPG",
                                               folder + "/IMG_0003.JPG"}));

    // The same on the camera roll's worker, through the album.
    std::vector<bool> written;
    for (std::uint32_t seed = 1; seed <= 3; ++seed)
        album.writeImageToSavedPhotosAlbum(test::TestImages::noise(32, 24, seed),
                                           [&](bool ok) { written.push_back(ok); });
    ASSERT_TRUE(cameraRoll.drain(std::chrono::seconds(60)));
    loop.runUntilIdle();
    EXPECT_EQ(written, (std::vector<bool>{true, true, true}));
    for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"})
        EXPECT_TRUE(std::filesystem::exists(dir / "DCIM" / "100APPLE" / name)) << name;
}

TEST(GpsImageSaverTest, ASaverGoneBeforeTheAlbumCompletesIsNotCalledBack) {
    test::TempDir dir;
    const std::string root = (dir / "DCIM").string();
    ManualRunLoop loop;
    DcimPhotoAlbum album(root, loop);  // its own worker, outliving the saver
    bool told = false;
    {
        GpsImageSaver saver(album, root, loop, nullptr);
        saver.saveImage(test::TestImages::noise(32, 24, 5), GeoPosition{1, 2, {}}, nullptr,
                        [&](const std::optional<std::string>&) { told = true; });
        ASSERT_TRUE(album.worker().drain(std::chrono::seconds(60)));
    }
    loop.runUntilIdle();  // the album's completion finds the saver gone
    EXPECT_FALSE(told);
    EXPECT_TRUE(std::filesystem::exists(dir / "DCIM" / "100APPLE" / "IMG_0001.JPG"));
}

// The platform's album as most are: it saves the photo as its own camera
// would and tags nothing of Kestrel's (the album of the device, writing
// through the interface's plain way only).
class PlainAlbum final : public PhotoAlbum {
public:
    PlainAlbum(std::string root, RunLoop& loop) : album_(std::move(root), loop) {}
    void writeImageToSavedPhotosAlbum(const Image& image, Completion completion) override {
        album_.writeImageToSavedPhotosAlbum(image, std::move(completion));
    }

private:
    DcimPhotoAlbum album_;
};

// Into the device camera roll, a photo's origin is in its tags either way:
// written with the photo by an album that can, stamped into the file found
// afterwards for one that cannot; with a position or without.
TEST(GpsImageSaverTest, ThePhotosOriginReachesTheDeviceRollWhicheverAlbumWritesIt) {
    const auto taken = std::chrono::system_clock::from_time_t(1'941'523'200) + std::chrono::milliseconds(250);
    const PhotoOrigin origin{"timer 10 s", taken};
    for (const bool plain : {false, true})
        for (const bool located : {false, true}) {
            SCOPED_TRACE(std::string(plain ? "plain album" : "Kestrel's album") + (located ? ", located" : ""));
            test::TempDir dir;
            const std::string root = (dir / "DCIM").string();
            ManualRunLoop loop;
            std::unique_ptr<PhotoAlbum> album = plain ? std::unique_ptr<PhotoAlbum>(std::make_unique<PlainAlbum>(root, loop))
                                                      : std::make_unique<DcimPhotoAlbum>(root, loop);
            std::optional<std::string> saved;
            bool done = false;
            {
                GpsImageSaver saver(*album, root, loop, nullptr);
                const auto where = located ? std::optional(GeoPosition{48.8584, 2.2945, taken}) : std::nullopt;
                saver.saveImage(test::TestImages::noise(64, 48, 3), where, nullptr, origin,
                                [&](const std::optional<std::string>& path) {
                                    saved = path;
                                    done = true;
                                });
                runUntil(loop, done);
            }
            ASSERT_TRUE(saved);
            EXPECT_EQ(ExifReader(*saved).userComment(), "Kestrel: timer 10 s");
            const LibExifFileWrapper tags(*saved, LibExifFileWrapper::Reading::kTagsOnly);
            ASSERT_NE(tags.findEntry("DateTimeOriginal", "EXIF"), nullptr);
            EXPECT_EQ(tags.findEntry("DateTimeOriginal", "EXIF")->value(), ExifWriter::dateText(taken));
            ASSERT_NE(tags.findEntry("SubSecTimeOriginal", "EXIF"), nullptr);
            EXPECT_EQ(tags.findEntry("SubSecTimeOriginal", "EXIF")->value(), "250");
            EXPECT_EQ(ExifReader(*saved).read().has_value(), located);
        }
}

TEST(DeviceLocationTest, ThreeStartsWithoutAPositionStopTheAsking) {
    test::MemoryStore store;
    ManualRunLoop loop;
    NotificationCenter center;
    int updates = 0;
    center.addObserver(DeviceLocation::kLocationUpdate, [&](const Notification&) { ++updates; });
    const std::vector<std::pair<int, bool>> runs{{1, true}, {2, true}, {3, true}, {4, false}};
    for (const auto& [stored, asks] : runs) {
        DeviceLocation location(store, std::make_unique<FixedLocationManager>(loop, std::nullopt),
                                loop, center);
        EXPECT_EQ(store.integerForKey(DeviceLocation::kRejectionKey), stored);
        EXPECT_EQ(location.useLocation(), asks);
        EXPECT_EQ(DeviceLocation::device(), &location);
        loop.advance(2.0);
        EXPECT_FALSE(location.currentLocation());
    }
    EXPECT_EQ(DeviceLocation::device(), nullptr);
    EXPECT_EQ(updates, 0);

    store.setInteger(1, DeviceLocation::kRejectionKey);
    DeviceLocation location(
        store, std::make_unique<FixedLocationManager>(loop, GeoPosition{1, 2, {}}), loop, center);
    loop.advance(0.999);
    EXPECT_FALSE(location.currentLocation());  // updates start after one second
    loop.advance(0.001);
    ASSERT_TRUE(location.currentLocation());
    EXPECT_DOUBLE_EQ(location.currentLocation()->latitude, 1.0);
    EXPECT_EQ(store.integerForKey(DeviceLocation::kRejectionKey), 0);
    EXPECT_EQ(updates, 1);

    // A fix goes stale after two minutes; half a minute without one, the service is asked again.
    const auto fixTime = location.currentLocation()->timestamp;
    location.setClock([&] { return fixTime + std::chrono::seconds(119); });
    EXPECT_TRUE(location.currentLocation());
    location.setClock([&] { return fixTime + std::chrono::seconds(121); });
    EXPECT_FALSE(location.currentLocation());
    loop.advance(DeviceLocation::kRefreshSeconds);
    EXPECT_EQ(updates, 2);
}

}  // namespace
}  // namespace kestrel
