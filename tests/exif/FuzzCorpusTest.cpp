#include "FuzzTargets.h"
#include "support/JpegBytes.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Every input in a folder, through one fuzz target.
int replay(const fs::path& folder, void (*target)(const std::uint8_t*, std::size_t),
           const std::string& prefix = "") {
    int count = 0;
    if (!fs::is_directory(folder)) return 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (!prefix.empty() && name.rfind(prefix, 0) != 0) continue;
        SCOPED_TRACE(entry.path().string());
        const test::Bytes bytes = test::JpegBytes::read(entry.path());
        target(bytes.data(), bytes.size());
        ++count;
    }
    return count;
}

TEST(FuzzCorpusTest, SectionFileCorpusAndCrashes) {
    const fs::path fuzz = test::testPaths().fuzzDir();
    EXPECT_GT(replay(fuzz / "corpus" / "section", fuzz::sectionFileRoundTrip), 0);
    replay(fuzz / "crashes", fuzz::sectionFileRoundTrip, "SectionFileFuzzer-");
}

TEST(FuzzCorpusTest, GpsReadCorpusAndCrashes) {
    const fs::path fuzz = test::testPaths().fuzzDir();
    EXPECT_GT(replay(fuzz / "corpus" / "gps", fuzz::gpsRead), 0);
    replay(fuzz / "crashes", fuzz::gpsRead, "GpsReadFuzzer-");
}

}  // namespace
}  // namespace kestrel
