// A reading of the store kept up to date: by Kestrel's own saves, and by
// other programs and other Kestrels writing into the same tree meanwhile.
#include "core/platform/FixedSystemInfo.h"
#include "core/store/CameraRoll.h"
#include "core/store/InfoRecord.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::JpegBytes;

const FixedSystemInfo kModern("4.2", "test");
const SystemUtils kModernSystem(kModern);

class CameraRollRefreshTest : public ::testing::Test {
protected:
    std::string root() const { return dir.path().string(); }
    void writeRecord(const std::vector<std::pair<int, int>>& values) const {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
        for (const auto& [folder, value] : values)
            xml += "<key>LastFileGroupNumber-" + std::to_string(folder) + "</key><string>" +
                   std::to_string(value) + "</string>\n";
        xml += "</dict>\n</plist>\n";
        fs::create_directories(dir / ".MISC");
        JpegBytes::write(dir / ".MISC" / "Info.plist", JpegBytes::text(xml));
    }
    int recorded(int folder) const {
        return InfoRecord::read(dir / ".MISC" / "Info.plist").lastFileGroupNumber(folder).value_or(-1);
    }
    // Photos as another program puts them there, with no word to the record.
    void photos(const std::string& folder, std::initializer_list<int> numbers) const {
        fs::create_directories(dir / folder);
        const int group = std::stoi(folder) - 100;
        for (int n : numbers) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%d%03d.JPG", group, n);
            JpegBytes::write(dir / folder / name, JpegBytes::encoded(8, 8));
        }
    }
    std::string save(CameraRoll& roll) const {
        const Bytes photo = JpegBytes::encoded(16, 12);
        const auto path = roll.saveImageData(photo, photo, photo);
        return path ? fs::path(*path).lexically_relative(dir.path()).string() : std::string("<failed>");
    }
    static std::vector<std::string> listed(const CameraRoll& roll, const fs::path& base) {
        std::vector<std::string> names;
        for (const auto& info : roll.files()) names.push_back(fs::path(info->file()).lexically_relative(base).string());
        return names;
    }
    std::vector<std::string> listed(const CameraRoll& roll) const { return listed(roll, dir.path()); }
    // What a reading of the tree from scratch says.
    std::vector<std::string> fresh() const {
        CameraRoll roll(root(), kModernSystem);
        roll.parse(true);
        std::vector<std::string> names = listed(roll);
        return names;
    }
    static std::set<std::string> sorted(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }
    test::TempDir dir;
};

TEST_F(CameraRollRefreshTest, OwnSavesJoinTheReadingOnceEachNewestLastAndKeepWhatWasRead) {
    writeRecord({{100, 2}});
    photos("100APPLE", {1, 2});
    CameraRoll roll(root(), kModernSystem);
    roll.parse(true);
    ASSERT_EQ(roll.files().size(), 2u);
    const auto first = roll.files().front();
    std::vector<std::string> saved;
    for (int k = 0; k < 5; ++k) {
        saved.push_back(save(roll));
        roll.refresh();
    }
    EXPECT_EQ(saved, (std::vector<std::string>{"100APPLE/IMG_0003.JPG", "100APPLE/IMG_0004.JPG", "100APPLE/IMG_0005.JPG",
                                               "100APPLE/IMG_0006.JPG", "100APPLE/IMG_0007.JPG"}));
    const auto names = listed(roll);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 5, names.end()), saved);
    EXPECT_EQ(names, fresh());
    EXPECT_EQ(roll.files().front(), first);  // read once, not again
    EXPECT_EQ(recorded(100), 7);
    roll.refresh();  // nothing changed: nothing moves
    EXPECT_EQ(listed(roll), names);
}

TEST_F(CameraRollRefreshTest, WhatAnotherProgramDidMeanwhileIsSeenByTheNextRefreshAndTheNextSave) {
    writeRecord({{100, 999}, {101, 3}});
    photos("100APPLE", {998, 999});
    photos("101APPLE", {1, 2, 3});
    CameraRoll roll(root(), kModernSystem);
    roll.parse(true);
    ASSERT_EQ(roll.files().size(), 5u);

    // Another program adds two photos to 101APPLE without updating the
    // record, removes 100APPLE and starts a folder of its own.
    photos("101APPLE", {4, 5});
    fs::remove_all(dir / "100APPLE");
    photos("105APPLE", {1});
    roll.refresh();
    EXPECT_EQ(listed(roll), fresh());
    EXPECT_EQ(sorted(listed(roll)), (std::set<std::string>{"101APPLE/IMG_1001.JPG", "101APPLE/IMG_1002.JPG",
                                                           "101APPLE/IMG_1003.JPG", "101APPLE/IMG_1004.JPG",
                                                           "101APPLE/IMG_1005.JPG", "105APPLE/IMG_5001.JPG"}));
    // The record still says 3: the save finds 4 and 5 taken and goes on after them.
    EXPECT_EQ(save(roll), "101APPLE/IMG_1006.JPG");
    EXPECT_EQ(recorded(101), 6);
    roll.refresh();
    EXPECT_EQ(listed(roll), fresh());
    EXPECT_EQ(sorted(listed(roll)).count("101APPLE/IMG_1006.JPG"), 1u);
}

TEST_F(CameraRollRefreshTest, TwoWritersOfOneTreeNeverTakeANameTwiceNorMoveTheRecordBack) {
    writeRecord({{100, 0}});
    CameraRoll a(root(), kModernSystem);
    CameraRoll b(root(), kModernSystem);
    a.parse(true);
    b.parse(true);
    std::set<std::string> names;
    for (int round = 0; round < 10; ++round) {
        for (CameraRoll* writer : {&a, &b, &b, &a, &a}) {
            const std::string name = save(*writer);
            EXPECT_TRUE(names.insert(name).second) << name << " saved twice";
        }
        // The record holds the highest number saved, whoever saved last.
        EXPECT_EQ(recorded(100), static_cast<int>(names.size()));
    }
    a.refresh();
    b.refresh();
    EXPECT_EQ(sorted(listed(a)), names);
    EXPECT_EQ(sorted(listed(b)), names);
}

TEST_F(CameraRollRefreshTest, ASaveGoesOnFromTheHighestNumberAnyWriterRecordedAndNeverWritesALowerOne) {
    writeRecord({{100, 5}});
    photos("100APPLE", {1, 2, 3, 4, 5});
    CameraRoll behind(root(), kModernSystem);
    behind.parse(false);
    writeRecord({{100, 40}});  // another writer got far ahead meanwhile
    EXPECT_EQ(save(behind), "100APPLE/IMG_0041.JPG");
    EXPECT_EQ(recorded(100), 41);

    // A writer whose number is behind the record's (it read the record
    // before another's write) leaves the higher number there.
    CameraRollFolder folder(root(), "100APPLE");
    folder.setLastRecord(7);
    InfoRecord record = InfoRecord::read(dir / ".MISC" / "Info.plist");
    folder.update(record);
    EXPECT_EQ(record.lastFileGroupNumber(100), 41);
    folder.setLastRecord(42);
    folder.update(record);
    EXPECT_EQ(record.lastFileGroupNumber(100), 42);
}

TEST_F(CameraRollRefreshTest, AFolderWithoutARecordIsListedOnceAfterASaveStartsIt) {
    // 100APPLE is on disk with photos but the record does not name it: the
    // save starts it afresh, skips the numbers its photos hold, and the
    // reading lists each photo once.
    writeRecord({});
    photos("100APPLE", {1, 2});
    CameraRoll roll(root(), kModernSystem);
    roll.parse(true);
    EXPECT_EQ(save(roll), "100APPLE/IMG_0003.JPG");
    roll.refresh();
    EXPECT_EQ(listed(roll), fresh());
    EXPECT_EQ(listed(roll).size(), 3u);
    EXPECT_EQ(save(roll), "100APPLE/IMG_0004.JPG");
}

TEST_F(CameraRollRefreshTest, PhotosDeletedOutsideLeaveTheReadingAndARemovedRecordEmptiesIt) {
    writeRecord({{100, 3}});
    photos("100APPLE", {1, 2, 3});
    CameraRoll roll(root(), kModernSystem);
    roll.refresh();  // a store not read yet is read fully
    ASSERT_EQ(roll.files().size(), 3u);
    fs::remove(dir / "100APPLE" / "IMG_0002.JPG");
    roll.refresh();
    EXPECT_EQ(sorted(listed(roll)), (std::set<std::string>{"100APPLE/IMG_0001.JPG", "100APPLE/IMG_0003.JPG"}));
    EXPECT_EQ(listed(roll), fresh());
    fs::remove_all(dir / ".MISC");
    roll.refresh();
    EXPECT_TRUE(roll.files().empty());
}

}  // namespace
}  // namespace kestrel
