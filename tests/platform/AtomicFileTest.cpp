#include "core/platform/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <sys/time.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Step = AtomicFile::Step;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> temporariesIn(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (AtomicFile::isTemporaryName(entry.path().filename().string()))
            found.push_back(entry.path().filename().string());
    return found;
}

class AtomicFilePublishTest : public ::testing::Test {
protected:
    void TearDown() override { AtomicFile::setErrorInjector(nullptr); }
    test::TempDir dir;
};

TEST_F(AtomicFilePublishTest, WhereNoReplaceRenameIsMissingALinkPublishesAndNeverReplaces) {
    for (const int unsupported : {EINVAL, ENOSYS, EOPNOTSUPP}) {
        SCOPED_TRACE(unsupported);
        int links = 0;
        AtomicFile::setErrorInjector([&](Step step) {
            links += step == Step::kLink;
            return step == Step::kRenameNoReplace ? unsupported : 0;
        });
        const fs::path target = dir / ("IMG_" + std::to_string(unsupported) + ".JPG");
        bool exists = true;
        std::string error;
        ASSERT_TRUE(AtomicFile::create(target, Bytes{1, 2, 3}, 0644, exists, &error)) << error;
        EXPECT_FALSE(exists);
        EXPECT_EQ(contents(target), "\x01\x02\x03");
        EXPECT_EQ(fs::hard_link_count(target), 1u);  // the temporary name is gone

        EXPECT_FALSE(AtomicFile::create(target, Bytes{9}, 0644, exists, &error));
        EXPECT_TRUE(exists);
        EXPECT_EQ(contents(target), "\x01\x02\x03");
        EXPECT_EQ(links, 2);

        // Keeping a file aside takes the same way.
        const auto aside = AtomicFile::keepAside(target, &error);
        ASSERT_TRUE(aside) << error;
        EXPECT_FALSE(fs::exists(target));
        EXPECT_EQ(contents(*aside), "\x01\x02\x03");
        EXPECT_TRUE(temporariesIn(dir.path()).empty());
    }
}

TEST_F(AtomicFilePublishTest, APublishThatCannotBeDoneLeavesNothingBehind) {
    const fs::path target = dir / "IMG_0001.JPG";
    bool exists = true;
    std::string error;
    // Neither way works (a file system without hard links either).
    AtomicFile::setErrorInjector([](Step step) {
        return step == Step::kRenameNoReplace ? EINVAL : step == Step::kLink ? EPERM : 0;
    });
    EXPECT_FALSE(AtomicFile::create(target, Bytes{1}, 0644, exists, &error));
    EXPECT_FALSE(exists);
    EXPECT_NE(error.find("cannot publish"), std::string::npos) << error;
    // A real failure of the rename is no reason to try a link.
    int links = 0;
    AtomicFile::setErrorInjector([&links](Step step) {
        links += step == Step::kLink;
        return step == Step::kRenameNoReplace ? EIO : 0;
    });
    EXPECT_FALSE(AtomicFile::create(target, Bytes{1}, 0644, exists, &error));
    EXPECT_EQ(links, 0);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(AtomicFilePublishTest, AbandonedTemporariesAreKnownByTheNamesWritesGiveThem) {
    // The name a write really uses, seen while it is in progress.
    std::vector<std::string> seen;
    AtomicFile::setErrorInjector([&](Step step) {
        if (step == Step::kRename || step == Step::kRenameNoReplace)
            for (const auto& entry : fs::directory_iterator(dir.path()))
                seen.push_back(entry.path().filename().string());
        return 0;
    });
    ASSERT_TRUE(AtomicFile::write(dir / "Info.plist", Bytes{1}));
    bool exists = false;
    ASSERT_TRUE(AtomicFile::create(dir / "IMG_0001.JPG", Bytes{1}, 0644, exists));
    AtomicFile::setErrorInjector(nullptr);
    int temporaries = 0;
    for (const auto& name : seen)
        if (AtomicFile::isTemporaryName(name)) {
            ++temporaries;
            EXPECT_EQ(name.rfind(".Info.plist.tmp-", 0) == 0 || name.rfind(".IMG_0001.JPG.tmp-", 0) == 0, true)
                << name;
        }
    EXPECT_EQ(temporaries, 2);
    for (const char* other : {"Info.plist", "IMG_0001.JPG", ".hidden", ".tmp-abcdef", ".x.tmp-abc", ".x.tmp.abcdef"})
        EXPECT_FALSE(AtomicFile::isTemporaryName(other)) << other;

    // An hour without a change makes one abandoned; a younger one may be in progress.
    auto aged = [&](const std::string& name, long seconds) {
        const fs::path file = dir / name;
        std::ofstream(file) << "x";
        const timeval times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
        ::utimes(file.c_str(), times);
        return file;
    };
    const fs::path old = aged(".IMG_0002.JPG.tmp-Zz9Yy8", 3700);
    const fs::path young = aged(".IMG_0003.JPG.tmp-Zz9Yy8", 3500);
    const fs::path oldButOurs = aged("IMG_0004.JPG", 9000);
    fs::create_directory(dir / ".IMG_0005.JPG.tmp-folder");
    const timeval longAgo[2] = {{::time(nullptr) - 9000, 0}, {::time(nullptr) - 9000, 0}};
    ::utimes((dir / ".IMG_0005.JPG.tmp-folder").c_str(), longAgo);
    EXPECT_EQ(AtomicFile::removeAbandoned(dir.path()), 1);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(oldButOurs));
    EXPECT_TRUE(fs::exists(dir / ".IMG_0005.JPG.tmp-folder"));  // a folder is nobody's temporary file
}

}  // namespace
}  // namespace kestrel
