// The promise of the store: whatever fails during a save, no photo is lost or
// overwritten, a photo reported saved is complete, and the record stays valid.
#include "core/imaging/JpegCodec.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/store/CameraRoll.h"
#include "core/store/ExifImageSaver.h"
#include "core/store/InfoRecord.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <csignal>
#include <algorithm>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::JpegBytes;

const FixedSystemInfo kModern("4.2", "test");
const SystemUtils kSystem(kModern);

// Every photo file of the tree with its bytes.
std::map<std::string, Bytes> photosOf(const fs::path& root) {
    std::map<std::string, Bytes> photos;
    if (!fs::exists(root)) return photos;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && CameraRollFolder::isPhotoName(name) &&
            entry.path().string().find("/.MISC/") == std::string::npos)
            photos[entry.path().string()] = JpegBytes::read(entry.path());
    }
    return photos;
}

void expectTreeSound(const fs::path& root, const std::map<std::string, Bytes>& before) {
    const auto after = photosOf(root);
    for (const auto& [path, bytes] : before) {
        ASSERT_TRUE(after.count(path)) << "lost " << path;
        EXPECT_EQ(after.at(path), bytes) << "overwritten " << path;
    }
    for (const auto& [path, bytes] : after) EXPECT_TRUE(JpegCodec::decode(bytes)) << "incomplete " << path;
    EXPECT_FALSE(InfoRecord::read(root / ".MISC" / "Info.plist").wasCorrupt());
}

class SaveFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        encoded = *ExifImageSaver::encode(test::TestImages::noise(96, 72, 5));
        // A tree whose record lags behind its folder: photos 1-3, record 2.
        fs::create_directories(original / "100APPLE");
        for (int n = 1; n <= 3; ++n)
            JpegBytes::write(original / "100APPLE" / ("IMG_000" + std::to_string(n) + ".JPG"), JpegBytes::encoded(20 + n, 10));
        CameraRoll seed(original.string(), kSystem);
        seed.parse(false);
        fs::create_directories(original / ".MISC");
        InfoRecord record;
        record.setLastFileGroupNumber(100, 2);
        ASSERT_TRUE(record.write(original / ".MISC" / "Info.plist"));
    }
    void TearDown() override { AtomicFile::setFaultInjector(nullptr); }

    test::TempDir dir;
    fs::path original = dir / "original";
    ExifImageSaver::Encoded encoded;
};

TEST_F(SaveFaultTest, EveryStepOfASaveFailingInTurn) {
    const fs::path tree = dir / "tree";
    int failures = 0;
    for (int n = 1; n < 200; ++n) {
        fs::remove_all(tree);
        fs::copy(original, tree, fs::copy_options::recursive);
        const auto before = photosOf(tree);
        int steps = 0;
        AtomicFile::setFaultInjector([&steps, n](AtomicFile::Step) { return ++steps == n; });
        CameraRoll store(tree.string(), kSystem);
        store.parse(false);
        const auto saved = ExifImageSaver::saving(encoded, store, nullptr);
        AtomicFile::setFaultInjector(nullptr);
        SCOPED_TRACE("failing step " + std::to_string(n));
        expectTreeSound(tree, before);
        if (saved) {
            EXPECT_FALSE(before.count(*saved));
            EXPECT_TRUE(JpegCodec::decode(JpegBytes::read(*saved)));
        } else {
            EXPECT_EQ(photosOf(tree), before);  // a failed save publishes nothing
        }
        // The next save, with nothing failing, overwrites nothing either.
        const auto afterFault = photosOf(tree);
        CameraRoll again(tree.string(), kSystem);
        again.parse(false);
        const auto next = ExifImageSaver::saving(encoded, again, nullptr);
        ASSERT_TRUE(next);
        EXPECT_FALSE(afterFault.count(*next));
        expectTreeSound(tree, afterFault);
        if (steps < n) break;  // this save had fewer steps: every one has failed once
        ++failures;
    }
    EXPECT_GT(failures, 5);
}

TEST_F(SaveFaultTest, AKilledSavingProcessLosesNothing) {
    const fs::path tree = dir / "tree";
    fs::copy(original, tree, fs::copy_options::recursive);
    const auto before = photosOf(tree);
    std::vector<std::string> reported;
    for (int round = 1; round <= 8; ++round) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            for (;;) {
                CameraRoll store(tree.string(), kSystem);
                store.parse(false);
                const auto saved = ExifImageSaver::saving(encoded, store, nullptr);
                if (!saved) ::_exit(3);
                const std::string line = *saved + "\n";
                if (::write(progress[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(4);
            }
        }
        ::close(progress[1]);
        std::string received;
        char buffer[512];
        while (static_cast<int>(std::count(received.begin(), received.end(), '\n')) < round) {
            const ssize_t n = ::read(progress[0], buffer, sizeof buffer);
            ASSERT_GT(n, 0);
            received.append(buffer, static_cast<std::size_t>(n));
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(progress[0]);
        for (std::size_t at = 0, end; (end = received.find('\n', at)) != std::string::npos; at = end + 1)
            reported.push_back(received.substr(at, end - at));
        SCOPED_TRACE("round " + std::to_string(round));
        expectTreeSound(tree, before);
        for (const auto& path : reported) EXPECT_TRUE(JpegCodec::decode(JpegBytes::read(path))) << path;
    }
    // Every save reported a name of its own.
    EXPECT_EQ(std::set<std::string>(reported.begin(), reported.end()).size(), reported.size());
}

}  // namespace
}  // namespace kestrel
