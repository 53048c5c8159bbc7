#include "core/store/DiskStamp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Puts a folder's modification time an hour back, as a folder looks that
// nothing wrote to lately.
void age(const fs::path& folder) {
    timespec times[2] {};
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

TEST(DiskStampTest, AnOldUnchangedFolderHoldsAndEveryKindOfChangeShows) {
    test::TempDir dir;
    const fs::path folder = dir / "100APPLE";
    fs::create_directories(folder);
    age(folder);
    const DiskStamp before = DiskStamp::of(folder);
    ASSERT_TRUE(before.exists);
    EXPECT_FALSE(before.recent());
    EXPECT_TRUE(before.stillHolds(DiskStamp::of(folder)));

    std::ofstream(folder / "IMG_0001.JPG") << "x";  // a photo added
    EXPECT_FALSE(before.stillHolds(DiskStamp::of(folder)));

    age(folder);
    const DiskStamp aged = DiskStamp::of(folder);
    fs::remove(folder / "IMG_0001.JPG");
    age(folder);  // even with the time put back, the change time tells
    EXPECT_FALSE(aged.stillHolds(DiskStamp::of(folder)));

    const DiskStamp present = DiskStamp::of(folder);
    fs::remove_all(folder);
    EXPECT_FALSE(present.stillHolds(DiskStamp::of(folder)));  // gone
    fs::create_directories(folder);
    age(folder);
    EXPECT_FALSE(present.stillHolds(DiskStamp::of(folder)));  // another folder in its place
}

TEST(DiskStampTest, AStampTakenJustAfterAChangeIsNeverTrusted) {
    // Two changes within the file system's tick share one time stamp: a
    // listing taken between them must be taken again.
    test::TempDir dir;
    const fs::path folder = dir / "100APPLE";
    fs::create_directories(folder);
    const DiskStamp stamp = DiskStamp::of(folder);
    EXPECT_TRUE(stamp.recent());
    EXPECT_TRUE(stamp.sameAs(DiskStamp::of(folder)));
    EXPECT_FALSE(stamp.stillHolds(DiskStamp::of(folder)));
    EXPECT_FALSE(DiskStamp::of(dir / "missing").recent());
}

}  // namespace
}  // namespace kestrel
