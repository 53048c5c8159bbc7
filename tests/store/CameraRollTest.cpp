#include "core/exif/ExifWriter.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/store/CameraRoll.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/ImageSaver.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <fstream>
#include <map>
#include <sys/time.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::JpegBytes;

const FixedSystemInfo kModern("4.2", "test");
const FixedSystemInfo kOld("2.2.1", "test");
const SystemUtils kModernSystem(kModern);
const SystemUtils kOldSystem(kOld);

class CameraRollTest : public ::testing::Test {
protected:
    std::string root() const { return dir.path().string(); }
    std::string record() const { return root() + "/.MISC/Info.plist"; }

    // A record as another program writes it: the keys given, XML or binary.
    void writeRecord(const std::vector<std::pair<std::string, plist_t>>& keys, bool binary = false) {
        fs::create_directories(dir / ".MISC");
        plist_t dict = plist_new_dict();
        for (const auto& [key, value] : keys) plist_dict_set_item(dict, key.c_str(), value);
        char* out = nullptr;
        uint32_t length = 0;
        if (binary) plist_to_bin(dict, &out, &length); else plist_to_xml(dict, &out, &length);
        std::ofstream(record(), std::ios::binary).write(out, length);
        if (binary) plist_to_bin_free(out); else plist_to_xml_free(out);
        plist_free(dict);
    }
    plist_t readRecord() const {
        const Bytes bytes = JpegBytes::read(record());
        plist_t root = nullptr;
        plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &root);
        return root;
    }
    std::string recordString(const std::string& key) const {
        plist_t root = readRecord();
        std::string value = "<none>";
        if (plist_t node = root ? plist_dict_get_item(root, key.c_str()) : nullptr;
            node && plist_get_node_type(node) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(node, &text);
            value = text;
            std::free(text);
        }
        if (root) plist_free(root);
        return value;
    }
    std::string save(CameraRoll& roll) {
        const Bytes photo = JpegBytes::encoded(16, 12);
        const auto path = roll.saveImageData(photo, photo, photo);
        return path ? *path : std::string("<failed>");
    }
    test::TempDir dir;
};

TEST_F(CameraRollTest, TheFirstSaveStartsFolder100AtPhoto1) {
    for (const SystemUtils* system : {&kModernSystem, &kOldSystem}) {
        fs::remove_all(dir / "100APPLE");
        fs::remove_all(dir / ".MISC");
        writeRecord({});
        CameraRoll roll(root(), *system);
        roll.parse(false);
        EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0001.JPG");
        EXPECT_EQ(recordString("LastFileGroupNumber-100"), "1");
        EXPECT_TRUE(fs::exists(ImageSaver::getThumbnailFile(root() + "/100APPLE/IMG_0001.JPG", system->version())));
        EXPECT_TRUE(fs::exists(roll.getPosterPath()));
    }
}

TEST_F(CameraRollTest, NumbersRunTo999ThenANewFolder) {
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("998")}});
    fs::create_directories(dir / "100APPLE");
    {
        CameraRoll roll(root(), kModernSystem);
        roll.parse(false);
        EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0999.JPG");
        EXPECT_EQ(save(roll), root() + "/101APPLE/IMG_1001.JPG");
    }
    fs::remove_all(dir / "101APPLE");
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("999")}});
    CameraRoll old(root(), kOldSystem);
    old.parse(false);
    EXPECT_EQ(save(old), root() + "/101APPLE/IMG_0001.JPG");
}

TEST_F(CameraRollTest, FolderNamesAndNumbers) {
    EXPECT_EQ(CameraRollFolder::fileName(110, 1, 420), "IMG_10001.JPG");
    EXPECT_EQ(CameraRollFolder::fileName(101, 57, 310), "IMG_1057.JPG");
    EXPECT_EQ(CameraRollFolder::fileName(103, 999, 300), "IMG_3999.JPG");
    EXPECT_EQ(CameraRollFolder::fileName(103, 12, 299), "IMG_0012.JPG");
    EXPECT_EQ(CameraRollFolder::getFolderSequence("100APPLE"), 100);
    EXPECT_EQ(CameraRollFolder::getFolderSequence("APPLE"), 0);
    EXPECT_EQ(CameraRollFileInfo::getFileSequence("IMG_1023.JPG"), 23);
    EXPECT_EQ(CameraRollFileInfo::getFileSequence("IMG_0999.JPG"), 999);
    EXPECT_EQ(CameraRollFileInfo::getFileSequence("IMG_10001.JPG"), 1);  // folder 110 on
    EXPECT_EQ(CameraRollFileInfo::getFileSequence("IMG_12345.PNG"), 345);

    writeRecord({{"LastFileGroupNumber-100", plist_new_string("999")},
                 {"LastFileGroupNumber-101", plist_new_uint(999)}});  // numbers read too
    fs::create_directories(dir / "100APPLE");
    fs::create_directories(dir / "101APPLE");
    fs::create_directories(dir / "105APPLE");  // on disk, no record: never chosen
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    EXPECT_EQ(roll.folderForNextSave().folder(), "102APPLE");
}

TEST_F(CameraRollTest, ATakenNameIsSkippedNeverOverwritten) {
    fs::create_directories(dir / "100APPLE");
    const Bytes theirs = JpegBytes::encoded(30, 20);
    JpegBytes::write(dir / "100APPLE" / "IMG_0001.JPG", theirs);  // no record: the platform's photo
    JpegBytes::write(dir / "100APPLE" / "IMG_0002.JPG", theirs);
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0003.JPG");
    EXPECT_EQ(JpegBytes::read(dir / "100APPLE" / "IMG_0001.JPG"), theirs);
    EXPECT_EQ(JpegBytes::read(dir / "100APPLE" / "IMG_0002.JPG"), theirs);
    EXPECT_EQ(recordString("LastFileGroupNumber-100"), "3");
}

TEST_F(CameraRollTest, OtherProgramsKeysAndFormatSurvive) {
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("4")}, {"CameraKey", plist_new_uint(77)},
                 {"Note", plist_new_string("theirs")}},
                true);
    fs::create_directories(dir / "100APPLE");
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0005.JPG");
    const Bytes bytes = JpegBytes::read(record());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");
    plist_t saved = readRecord();
    ASSERT_NE(saved, nullptr);
    uint64_t value = 0;
    plist_get_uint_val(plist_dict_get_item(saved, "CameraKey"), &value);
    EXPECT_EQ(value, 77u);
    EXPECT_NE(plist_dict_get_item(saved, "Note"), nullptr);
    plist_free(saved);
    EXPECT_EQ(recordString("LastFileGroupNumber-100"), "5");
}

TEST_F(CameraRollTest, AnUnreadableRecordIsKeptAside) {
    fs::create_directories(dir / ".MISC");
    std::ofstream(record()) << "not a property list";
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    EXPECT_EQ(save(roll), root() + "/100APPLE/IMG_0001.JPG");
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(dir / ".MISC"))
        if (entry.path().filename().string().rfind("Info.plist.corrupt-", 0) == 0) {
            ++kept;
            EXPECT_EQ(JpegBytes::read(entry.path()), JpegBytes::text("not a property list"));
        }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(recordString("LastFileGroupNumber-100"), "1");
}

TEST_F(CameraRollTest, ReadingsQuickAndFullOldestFirst) {
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("3")}});
    fs::create_directories(dir / "100APPLE" / ".MISC");
    const std::vector<std::string> names{"IMG_0001.JPG", "IMG_0002.PNG", "IMG_0003.JPG"};
    const int ages[] = {10, 30, 20};  // seconds before now
    for (std::size_t i = 0; i < names.size(); ++i) {
        const fs::path file = dir / "100APPLE" / names[i];
        JpegBytes::write(file, JpegBytes::encoded(8, 8));
        const timeval times[2] = {{::time(nullptr) - ages[i], 0}, {::time(nullptr) - ages[i], 0}};
        ::utimes(file.c_str(), times);
    }
    JpegBytes::write(dir / "100APPLE" / "IMG_0001.THM", JpegBytes::encoded(8, 8));  // not a photo
    JpegBytes::write(dir / "100APPLE" / "img_0009.JPG", JpegBytes::encoded(8, 8));  // case matters

    CameraRoll quick(root(), kModernSystem);
    quick.parse(false);
    EXPECT_EQ(quick.countImages(), 3);
    EXPECT_TRUE(quick.files().empty());
    CameraRoll full(root(), kModernSystem);
    full.parse(true);
    ASSERT_EQ(full.files().size(), 3u);
    EXPECT_EQ(fs::path(full.files()[0]->file()).filename(), "IMG_0002.PNG");
    EXPECT_EQ(fs::path(full.files()[2]->file()).filename(), "IMG_0001.JPG");
    EXPECT_EQ(full.folders()[0]->lastJpg(), 3);
    EXPECT_EQ(full.folders()[0]->lastPng(), 2);
    // A second reading without reset changes nothing.
    fs::remove(dir / "100APPLE" / "IMG_0003.JPG");
    full.parse(true);
    EXPECT_EQ(full.files().size(), 3u);
    full.reset();
    full.parse(true);
    EXPECT_EQ(full.files().size(), 2u);
}

TEST_F(CameraRollTest, ThumbnailPlaces) {
    fs::create_directories(dir / "100APPLE");
    const std::string photo = root() + "/100APPLE/IMG_0005.JPG";
    CameraRollFileInfo info(photo, 5);
    EXPECT_EQ(info.thumbnailFile(), root() + "/100APPLE/.MISC/IMG_0005.THM");
    JpegBytes::write(dir / "100APPLE" / "IMG_0005.THM", {1});
    EXPECT_EQ(info.thumbnailFile(), root() + "/100APPLE/IMG_0005.THM");
    EXPECT_EQ(ImageSaver::getThumbnailFile("/d/100APPLE/IMG_0007.JPG", "2.2.1"), "/d/100APPLE/IMG_0007.THM");
    EXPECT_EQ(ImageSaver::getThumbnailFile("/d/100APPLE/IMG_0007.JPG", "3.1.3"), "/d/100APPLE/.MISC/IMG_0007.THM");
    EXPECT_EQ(ImageSaver::getThumbnailFile("/d/100APPLE/IMG_0007.JPG", "3"), "/d/100APPLE/IMG_0007.THM");
}

TEST_F(CameraRollTest, AfterDeleteRebuildsOrRemovesThePoster) {
    writeRecord({});
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    const std::string first = save(roll);
    const std::string second = save(roll);
    fs::remove(roll.getPosterPath());
    fs::remove(second);
    roll.afterDelete();
    ASSERT_TRUE(fs::exists(roll.getPosterPath()));
    fs::remove(first);
    roll.afterDelete();
    EXPECT_FALSE(fs::exists(roll.getPosterPath()));
}

TEST_F(CameraRollTest, FindsThePhotoANewerReadingHas) {
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("4")}});
    fs::create_directories(dir / "100APPLE");
    CameraRoll before(root(), kModernSystem);
    before.parse(false);
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("5")}});
    CameraRoll after(root(), kModernSystem);
    after.parse(false);
    EXPECT_EQ(before.findNewPhoto(after), root() + "/100APPLE/IMG_0005.JPG");
    EXPECT_EQ(after.findNewPhoto(after), std::nullopt);
    // A new folder: its last photo, if it exists.
    writeRecord({{"LastFileGroupNumber-100", plist_new_string("5")}, {"LastFileGroupNumber-101", plist_new_string("1")}});
    fs::create_directories(dir / "101APPLE");
    CameraRoll grown(root(), kModernSystem);
    grown.parse(false);
    EXPECT_EQ(after.findNewPhoto(grown), std::nullopt);  // IMG_1001.JPG is not there
    JpegBytes::write(dir / "101APPLE" / "IMG_1001.JPG", {1});
    EXPECT_EQ(after.findNewPhoto(grown), root() + "/101APPLE/IMG_1001.JPG");
}

TEST_F(CameraRollTest, AFailedSaveLeavesNoPhotoAndSaysSo) {
    writeRecord({});
    fs::create_directories(dir / "100APPLE");
    fs::permissions(dir / "100APPLE", fs::perms::owner_read | fs::perms::owner_exec);
    CameraRoll roll(root(), kModernSystem);
    roll.parse(false);
    const Bytes photo = JpegBytes::encoded(8, 8);
    if (::geteuid() == 0) {
        // root writes anywhere: make the folder name a file instead.
        fs::permissions(dir / "100APPLE", fs::perms::owner_all);
        fs::remove(dir / "100APPLE");
        std::ofstream(dir / "100APPLE") << "a file";
    }
    EXPECT_FALSE(roll.saveImageData(photo, photo, photo));
    EXPECT_EQ(recordString("LastFileGroupNumber-100"), "<none>");
}

TEST(DirectoryUtilsTest, FoldersAndFiles) {
    test::TempDir dir;
    const std::string deep = (dir / "a" / "b" / "c").string();
    EXPECT_TRUE(DirectoryUtils::ensureFolderExist(deep));
    EXPECT_TRUE(DirectoryUtils::folderExist(deep));
    EXPECT_EQ(DirectoryUtils::parentFolder(deep), (dir / "a" / "b").string());
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(DirectoryUtils::isFolder((dir / "file").string()));
    EXPECT_TRUE(FileUtils::fileExists((dir / "file").string()));
    EXPECT_TRUE(DirectoryUtils::ensureFolderExist((dir / "file").string()));  // something is there
    FileUtils::deleteFile((dir / "file").string());
    EXPECT_FALSE(FileUtils::fileExists((dir / "file").string()));
    EXPECT_TRUE(DirectoryUtils::removeFolder((dir / "a").string()));
    EXPECT_FALSE(FileUtils::fileExists(deep));
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(std::string("/x/DCIM")), "/x/DCIM");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(CameraRollFileInfoTest, LocateReadsThePositionOnce) {
    test::TempDir dir;
    const auto photo = dir / "IMG_0001.JPG";
    test::JpegBytes::write(photo, test::JpegBytes::encoded());
    ExifWriter writer(photo);
    ASSERT_TRUE(writer.write(GeoPosition{48.8584, -2.2945, {}}));
    CameraRollFileInfo info(photo.string(), 1);
    EXPECT_FALSE(info.locationLoaded());
    info.locate();
    ASSERT_TRUE(info.hasLocation());
    EXPECT_NEAR(info.coordinate().first, 48.8583, 1e-3);
    EXPECT_NEAR(info.longitude(), -2.2945f, 1e-3f);
    EXPECT_EQ(CameraRollFileInfo::title(), " ");
    std::filesystem::remove(photo);
    info.locate();  // once only
    EXPECT_TRUE(info.hasLocation());
}

TEST(DirectoryUtilsTest, TheCameraRollFollowsXdgPictures) {
    test::TempDir dir;
    const char* saved[] = {"HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "KESTREL_DCIM"};
    std::map<std::string, std::optional<std::string>> old;
    for (const char* name : saved) {
        if (const char* v = std::getenv(name)) old[name] = v; else old[name] = std::nullopt;
        ::unsetenv(name);
    }
    ::setenv("HOME", dir.path().c_str(), 1);
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(), (dir / "Pictures" / "DCIM").string());
    std::filesystem::create_directories(dir / ".config");
    std::ofstream(dir / ".config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(), (dir / "Bilder" / "DCIM").string());
    ::setenv("XDG_PICTURES_DIR", "/media/photos", 1);
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(), "/media/photos/DCIM");
    ::setenv("KESTREL_DCIM", "/srv/DCIM", 1);
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(), "/srv/DCIM");
    EXPECT_EQ(DirectoryUtils::getCameraRollFolder(std::string("/given")), "/given");
    for (const auto& [name, value] : old) {
        if (value) ::setenv(name.c_str(), value->c_str(), 1); else ::unsetenv(name.c_str());
    }
}

}  // namespace
}  // namespace kestrel
