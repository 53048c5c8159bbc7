#include "core/platform/AtomicFile.h"
#include "core/platform/PlistPreferenceStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <fstream>
#include <limits>
#include <set>
#include <algorithm>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Data = PreferenceStore::Data;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Every entry of a folder except the ones named.
std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string plistWith(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

class PlistPreferenceStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path file = dir / "preferences.plist";
};

TEST_F(PlistPreferenceStoreTest, ValuesReadBackAsWrittenAcrossInstances) {
    const Data blob{0x00, 0xff, 0x10, 0x80, 0x7f};
    {
        PlistPreferenceStore store(file);
        store.setBool(true, "flag");
        store.setBool(false, "off");
        store.setInteger(std::numeric_limits<std::int32_t>::min(), "min");
        store.setInteger(std::numeric_limits<std::int32_t>::max(), "max");
        store.setInteger(-1, "minus one");
        store.setObject(blob, "image");
        store.setObject({}, "empty");
        ASSERT_TRUE(store.synchronize());
    }
    PlistPreferenceStore store(file);
    EXPECT_TRUE(store.boolForKey("flag"));
    EXPECT_FALSE(store.boolForKey("off"));
    EXPECT_EQ(store.integerForKey("min"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(store.integerForKey("max"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(store.integerForKey("minus one"), -1);
    EXPECT_EQ(store.objectForKey("image"), blob);
    EXPECT_EQ(store.objectForKey("empty"), Data{});
    EXPECT_FALSE(store.corruptFileKeptAside());
}

TEST_F(PlistPreferenceStoreTest, MissingKeysAndOtherKindsReadAsNoZeroNone) {
    PlistPreferenceStore store(file);
    EXPECT_FALSE(store.boolForKey("absent"));
    EXPECT_EQ(store.integerForKey("absent"), 0);
    EXPECT_EQ(store.objectForKey("absent"), std::nullopt);

    store.setBool(true, "yes");
    store.setInteger(7, "seven");
    store.setObject(Data{1}, "blob");
    EXPECT_EQ(store.integerForKey("yes"), 1);
    EXPECT_TRUE(store.boolForKey("seven"));
    EXPECT_EQ(store.objectForKey("seven"), std::nullopt);
    EXPECT_EQ(store.integerForKey("blob"), 0);
    EXPECT_FALSE(store.boolForKey("blob"));

    store.removeObjectForKey("blob");
    EXPECT_EQ(store.objectForKey("blob"), std::nullopt);
    store.removeObjectForKey("never there");
}

TEST_F(PlistPreferenceStoreTest, FirstSynchronizeCreatesThePrivateFolderAndNothingElse) {
    const fs::path nested = dir / "a" / "b" / "preferences.plist";
    PlistPreferenceStore store(nested);
    EXPECT_FALSE(fs::exists(nested));  // nothing is written before synchronize
    store.setInteger(3, "ratio");
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(entriesOf(nested.parent_path()), std::vector<std::string>{"preferences.plist"});
    struct stat info {};
    ASSERT_EQ(::stat(nested.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(PlistPreferenceStoreTest, KeysOfOtherKindsSurviveASave) {
    writeFile(file, plistWith("<dict><key>note</key><string>keep me</string>"
                              "<key>ratio</key><integer>5</integer>"
                              "<key>big</key><integer>5000000000</integer></dict>"));
    PlistPreferenceStore store(file);
    EXPECT_EQ(store.integerForKey("ratio"), 5);
    EXPECT_EQ(store.integerForKey("big"), 0);  // not a 32-bit integer
    store.setInteger(6, "ratio");
    ASSERT_TRUE(store.synchronize());
    const std::string saved = readFile(file);
    EXPECT_NE(saved.find("<string>keep me</string>"), std::string::npos);
    EXPECT_NE(saved.find("5000000000"), std::string::npos);
    EXPECT_EQ(PlistPreferenceStore(file).integerForKey("ratio"), 6);
}

TEST_F(PlistPreferenceStoreTest, UnusableFilesAreKeptAsideByteForByte) {
    const std::vector<std::string> unusable{
        "this is not a property list",
        plistWith("<array><integer>1</integer></array>"),  // not a dictionary
        plistWith("<dict><key>camera mode</key><integer>4"),  // truncated
        std::string("bplist00\x01\x02", 10),
    };
    std::set<fs::path> asides;
    for (const std::string& bytes : unusable) {
        writeFile(file, bytes);
        PlistPreferenceStore store(file);
        const auto aside = store.corruptFileKeptAside();
        ASSERT_TRUE(aside) << bytes;
        EXPECT_EQ(aside->filename().string().rfind("preferences.plist.corrupt-", 0), 0u);
        EXPECT_EQ(readFile(*aside), bytes);
        EXPECT_FALSE(fs::exists(file));
        EXPECT_FALSE(store.boolForKey("persisted"));
        asides.insert(*aside);

        // The store works from empty and writes a fresh file.
        store.setBool(true, "persisted");
        ASSERT_TRUE(store.synchronize());
        EXPECT_TRUE(PlistPreferenceStore(file).boolForKey("persisted"));
    }
    // Several within the same second never replace one another.
    EXPECT_EQ(asides.size(), unusable.size());
}

TEST_F(PlistPreferenceStoreTest, AFileTooLargeToBeAPreferenceFileIsNotParsed) {
    std::string huge = plistWith("<dict><key>pad</key><string>" +
                                 std::string(PlistPreferenceStore::kMaxFileSize, 'x') +
                                 "</string></dict>");
    writeFile(file, huge);
    PlistPreferenceStore store(file);
    ASSERT_TRUE(store.corruptFileKeptAside());
    EXPECT_EQ(fs::file_size(*store.corruptFileKeptAside()), huge.size());
}

TEST_F(PlistPreferenceStoreTest, AFileThatCannotBeReadIsNeverSavedOver) {
    fs::create_directory(file);  // exists, but is no file
    fs::path inside = file / "keep";
    writeFile(inside, "x");
    PlistPreferenceStore store(file);
    EXPECT_FALSE(store.corruptFileKeptAside());
    store.setInteger(1, "camera mode");
    EXPECT_FALSE(store.synchronize());
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(readFile(inside), "x");
}

TEST_F(PlistPreferenceStoreTest, AWriteThatFailsHalfWayLeavesTheOldFile) {
    {
        PlistPreferenceStore store(file);
        store.setInteger(1, "camera mode");
        ASSERT_TRUE(store.synchronize());
    }
    const std::string before = readFile(file);

    PlistPreferenceStore store(file);
    store.setObject(Data(64 * 1024, 0x55), "image");
    store.setInteger(2, "camera mode");
    // Files may grow to 4 KiB only: the write fails part-way with EFBIG.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool synced = store.synchronize();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(synced);
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"preferences.plist"});
    // Once the disk takes it again, the same store saves everything.
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(PlistPreferenceStore(file).integerForKey("camera mode"), 2);
}

// A process killed at an arbitrary point of a save leaves the previous save or
// the new one, complete, under the file's name.
TEST_F(PlistPreferenceStoreTest, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    constexpr int kRounds = 12;
    constexpr std::size_t kBlobSize = 256 * 1024;
    auto blobFor = [](std::int32_t generation) {
        return Data(kBlobSize, static_cast<std::uint8_t>(generation * 37 + 1));
    };
    for (int round = 1; round <= kRounds; ++round) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            PlistPreferenceStore store(file);
            for (std::int32_t generation = store.integerForKey("generation") + 1;; ++generation) {
                store.setObject(blobFor(generation), "image");
                store.setInteger(generation, "generation");
                if (!store.synchronize()) ::_exit(3);
                const char done = 1;
                if (::write(progress[1], &done, 1) != 1) ::_exit(4);
            }
        }
        ::close(progress[1]);
        // Let the child complete `round` saves, then kill it during the next.
        char done = 0;
        for (int i = 0; i < round; ++i) ASSERT_EQ(::read(progress[0], &done, 1), 1);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(progress[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        PlistPreferenceStore reloaded(file);
        ASSERT_FALSE(reloaded.corruptFileKeptAside()) << "round " << round;
        const std::int32_t generation = reloaded.integerForKey("generation");
        ASSERT_GT(generation, 0);
        EXPECT_EQ(reloaded.objectForKey("image"), blobFor(generation)) << "round " << round;
    }
}

TEST(AtomicFileTest, ReplacesWholeAndCleansUpOnFailure) {
    test::TempDir dir;
    const fs::path target = dir / "photo.jpg";
    const std::vector<std::uint8_t> first{1, 2, 3};
    const std::vector<std::uint8_t> second{4, 5};
    ASSERT_TRUE(AtomicFile::write(target, first));
    ASSERT_TRUE(AtomicFile::write(target, second));
    EXPECT_EQ(readFile(target), std::string("\x04\x05", 2));

    std::string error;
    EXPECT_FALSE(AtomicFile::write(dir / "missing" / "x.jpg", first, 0644, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"photo.jpg"});
}

}  // namespace
}  // namespace kestrel
