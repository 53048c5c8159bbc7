// The store against DCIM trees as real disks and other programs leave them:
// folders listed in no particular order, photo numbers already taken,
// records holding values that are no photo number, temporaries of writes
// that never finished, file systems without a no-replace rename.
#include "core/platform/AtomicFile.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/store/CameraRoll.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/InfoRecord.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <sys/time.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::JpegBytes;

const FixedSystemInfo kModern("4.2", "test");
const SystemUtils kModernSystem(kModern);

class CameraRollDiskTest : public ::testing::Test {
protected:
    void TearDown() override { AtomicFile::setErrorInjector(nullptr); }

    std::string root() const { return dir.path().string(); }
    void writeRawRecord(const std::vector<std::pair<int, std::string>>& values) const {
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
        for (const auto& [folder, value] : values)
            xml += "<key>LastFileGroupNumber-" + std::to_string(folder) + "</key><string>" + value + "</string>\n";
        xml += "</dict>\n</plist>\n";
        fs::create_directories(dir / ".MISC");
        JpegBytes::write(dir / ".MISC" / "Info.plist", JpegBytes::text(xml));
    }
    std::string recorded(int folder) const {
        const auto value = InfoRecord::read(dir / ".MISC" / "Info.plist").lastFileGroupNumber(folder);
        return value ? std::to_string(*value) : "<none>";
    }
    void photos(const std::string& folder, const std::vector<std::string>& names) const {
        fs::create_directories(dir / folder);
        for (const auto& name : names) JpegBytes::write(dir / folder / name, JpegBytes::encoded(8, 8));
    }
    std::string save(CameraRoll& roll) const {
        const Bytes photo = JpegBytes::encoded(16, 12);
        const auto path = roll.saveImageData(photo, photo, photo);
        return path ? *path : std::string("<failed>");
    }
    test::TempDir dir;
};

std::vector<std::string> folderNames(const CameraRoll& roll) {
    std::vector<std::string> names;
    for (const auto& folder : roll.folders()) names.push_back(folder->folder());
    return names;
}

TEST_F(CameraRollDiskTest, FoldersGoByNumberWhateverOrderTheDiskListsThem) {
    std::vector<std::pair<int, std::string>> full;
    for (int number = 100; number <= 105; ++number) {
        fs::create_directories(dir / (std::to_string(number) + "APPLE"));
        full.emplace_back(number, "999");
    }
    writeRawRecord(full);
    const std::vector<std::string> ordered{"100APPLE", "101APPLE", "102APPLE", "103APPLE", "104APPLE", "105APPLE"};
    // The listing reversed, and shuffled as a hashed directory lists it.
    std::vector<CameraRoll::FolderLister> listings{[](const std::string& folder) {
        auto names = DirectoryUtils::listFolder(folder);
        std::sort(names.rbegin(), names.rend());
        return names;
    }};
    for (unsigned seed = 1; seed <= 4; ++seed)
        listings.push_back([seed](const std::string& folder) {
            auto names = DirectoryUtils::listFolder(folder);
            std::shuffle(names.begin(), names.end(), std::mt19937(seed));
            return names;
        });
    for (std::size_t i = 0; i < listings.size(); ++i) {
        SCOPED_TRACE("listing " + std::to_string(i));
        CameraRoll roll(root(), kModernSystem);
        roll.setFolderLister(listings[i]);
        roll.parse(false);
        EXPECT_EQ(folderNames(roll), ordered);
        EXPECT_EQ(roll.folderForNextSave().folder(), "106APPLE");
        fs::remove(dir / "106APPLE");  // made for the photo, which never came
    }
    CameraRoll roll(root(), kModernSystem);
    roll.setFolderLister(listings.back());
    roll.parse(false);
    EXPECT_EQ(save(roll), root() + "/106APPLE/IMG_6001.JPG");
    EXPECT_EQ(recorded(106), "1");
}

TEST_F(CameraRollDiskTest, ATakenNumberIsSeenBeforeAnythingIsWritten) {
    // Another program's photos 1-5 and a screenshot numbered 6; no record.
    photos("100APPLE", {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.JPG", "IMG_0005.JPG",
                        "IMG_0006.PNG"});
    const auto theirs = JpegBytes::read(dir / "100APPLE" / "IMG_0003.JPG");
    int files = 0;
    AtomicFile::setErrorInjector([&files](AtomicFile::Step step) {
        files += step == AtomicFile::Step::kCreate;
        return 0;
    });
    // What one save writes into an empty album...
    test::TempDir empty;
    CameraRoll fresh(empty.path().string(), kModernSystem);
    fresh.parse(false);
    ASSERT_TRUE(fresh.saveImageData(JpegBytes::encoded(), JpegBytes::encoded(), JpegBytes::encoded()));
    const int oneSave = files;
    // ... is all it writes where six numbers are taken.
    files = 0;
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0007.JPG");
    EXPECT_EQ(files, oneSave);
    EXPECT_EQ(recorded(100), "7");
    EXPECT_EQ(JpegBytes::read(dir / "100APPLE" / "IMG_0003.JPG"), theirs);
    EXPECT_FALSE(fs::exists(dir / "100APPLE" / "IMG_0006.JPG"));
}

TEST_F(CameraRollDiskTest, ARecordValueThatIsNoPhotoNumberGivesWayToTheFolder) {
    photos("100APPLE", {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"});
    photos("101APPLE", {"IMG_1001.JPG", "IMG_1041.PNG"});
    photos("110APPLE", {"IMG_10001.JPG", "IMG_10002.JPG"});
    for (const std::string bad : {"-4", "1500", "-2147483648"}) {
        for (bool full : {false, true}) {
            SCOPED_TRACE(bad + (full ? " full" : " quick"));
            writeRawRecord({{100, bad}, {101, "999"}});
            CameraRoll roll(root(), kModernSystem);
            roll.parse(full);
            ASSERT_NE(roll.findFolder("100APPLE"), nullptr);
            EXPECT_EQ(roll.findFolder("100APPLE")->lastRecord(), 3);
            EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0004.JPG");
            EXPECT_EQ(recorded(100), "4");
            fs::remove(dir / "100APPLE" / "IMG_0004.JPG");

            // Five-digit names of folders from 110 on count by their last three digits.
            writeRawRecord({{100, "999"}, {101, "999"}, {110, bad}});
            CameraRoll later(root(), kModernSystem);
            later.parse(full);
            EXPECT_EQ(save(later), root() + "/110APPLE/IMG_10003.JPG");
            fs::remove(dir / "110APPLE" / "IMG_10003.JPG");
        }
    }
    // A folder whose photos are all gone: its number starts again, never below 1.
    fs::create_directories(dir / "102APPLE");
    writeRawRecord({{100, "999"}, {101, "999"}, {102, "-7"}});
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    const std::string saved = save(roll);
    EXPECT_EQ(fs::path(saved).filename().string().find('-'), std::string::npos) << saved;
    EXPECT_EQ(saved, root() + "/102APPLE/IMG_2001.JPG");
}

TEST_F(CameraRollDiskTest, TemporariesOfUnfinishedWritesGoOnceAnHourOld) {
    writeRawRecord({{100, "1"}});
    photos("100APPLE", {"IMG_0001.JPG"});
    fs::create_directories(dir / "100APPLE" / ".MISC");
    // Named as the writes name them; aged by their modification time.
    auto leftover = [&](const fs::path& target, long ageSeconds) {
        const fs::path file = target.parent_path() / (AtomicFile::temporaryPrefix(target) + "a1B2c3");
        JpegBytes::write(file, {1, 2});
        const timeval times[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
        ::utimes(file.c_str(), times);
        return file;
    };
    const fs::path oldPhoto = leftover(dir / "100APPLE" / "IMG_0002.JPG", 2 * 3600);
    const fs::path youngPhoto = leftover(dir / "100APPLE" / "IMG_0003.JPG", 10 * 60);
    const fs::path oldThumbnail = leftover(dir / "100APPLE" / ".MISC" / "IMG_0002.THM", 3601 + 60);
    const fs::path oldRecord = leftover(dir / ".MISC" / "Info.plist", 5 * 3600);
    const fs::path youngPoster = leftover(dir / ".MISC" / "PosterImage.jpg", 60);
    const fs::path notOurs = dir / "100APPLE" / ".notes.tmp";
    JpegBytes::write(notOurs, {1});
    const timeval old[2] = {{::time(nullptr) - 9000, 0}, {::time(nullptr) - 9000, 0}};
    ::utimes(notOurs.c_str(), old);
    ::utimes((dir / "100APPLE" / "IMG_0001.JPG").c_str(), old);

    CameraRoll quick(root(), kModernSystem);
    quick.parse(false);
    EXPECT_FALSE(fs::exists(oldRecord));  // the album's own .MISC, at every reading
    EXPECT_TRUE(fs::exists(youngPoster));
    CameraRoll full(root(), kModernSystem);
    full.parse(true);
    EXPECT_FALSE(fs::exists(oldPhoto));
    EXPECT_FALSE(fs::exists(oldThumbnail));
    EXPECT_TRUE(fs::exists(youngPhoto));  // perhaps another program's save in progress
    EXPECT_TRUE(fs::exists(youngPoster));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_TRUE(fs::exists(dir / "100APPLE" / "IMG_0001.JPG"));
    EXPECT_EQ(full.countImages(), 1);
}

TEST_F(CameraRollDiskTest, SavesWhereTheDiskCannotRenameWithoutReplacing) {
    photos("100APPLE", {"IMG_0001.JPG"});  // taken, and the record lags behind
    writeRawRecord({});
    for (const int unsupported : {EINVAL, ENOSYS, EOPNOTSUPP}) {
        SCOPED_TRACE(unsupported);
        AtomicFile::setErrorInjector(
            [unsupported](AtomicFile::Step step) { return step == AtomicFile::Step::kRenameNoReplace ? unsupported : 0; });
        CameraRoll roll(root(), kModernSystem);
        roll.parse(false);
        const std::string saved = save(roll);
        ASSERT_NE(saved, "<failed>");
        EXPECT_EQ(JpegBytes::read(saved), JpegBytes::encoded(16, 12));
        EXPECT_EQ(recorded(100), fs::path(saved).stem().string().substr(7));
    }
    AtomicFile::setErrorInjector(nullptr);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_FALSE(AtomicFile::isTemporaryName(entry.path().filename().string())) << entry.path();
    EXPECT_EQ(JpegBytes::read(dir / "100APPLE" / "IMG_0001.JPG"), JpegBytes::encoded(8, 8));
}

}  // namespace
}  // namespace kestrel
