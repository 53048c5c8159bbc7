// Two kestrel-cli processes shooting into one store at once, as two time
// lapses or a script beside the window do: every photo kept under a name of
// its own, and the record whole.
#include "core/imaging/JpegCodec.h"
#include "core/store/InfoRecord.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/JpegBytes.h"
#include "support/ProgramCommand.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <set>
#include <sstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr int kEach = 50;

TEST(SharedStoreTest, TwoProcessesSavingIntoOneStoreAtOnceKeepEveryPhotoUnderItsOwnName) {
    test::TempDir dir;
    const fs::path store = dir / "store";
    std::vector<std::unique_ptr<test::ChildProcess>> shooters;
    for (const char* name : {"a", "b"}) {
        const std::string config = (dir / name).string();
        // An interval series of small pictures, one every 2 s of virtual time.
        for (const auto& [key, value] :
             std::vector<std::pair<std::string, std::string>>{{"timer delay", "0"},
                                                              {"timer interval", "2"},
                                                              {"timer count", "0"},
                                                              {"full size photo", "no"}})
            ASSERT_EQ(test::runCli({"--config-dir", config, "settings", "set", key, value}).status,
                      0);
        shooters.push_back(std::make_unique<test::ChildProcess>(
            test::programCommand({test::testPaths().cliProgram, "--config-dir", config, "shoot",
                                  "--mode", "2", "--count", std::to_string(kEach), "--virtual-time",
                                  "--max-time", "1000", "--store", store.string()})));
        ASSERT_TRUE(shooters.back()->started());
    }
    std::set<std::string> saved;
    for (auto& shooter : shooters) {
        const int status = shooter->finish();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shooter->err;
        std::istringstream lines(shooter->out);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count)
            EXPECT_TRUE(saved.insert(line).second) << line << " was reported saved twice";
        EXPECT_EQ(count, kEach) << shooter->out;
    }
    // Every photo reported is on disk, whole, and nothing else is.
    std::set<std::string> onDisk;
    for (const auto& entry : fs::recursive_directory_iterator(store)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("IMG_", 0) == 0 && entry.path().extension() == ".JPG")
            onDisk.insert(entry.path().string());
    }
    EXPECT_EQ(onDisk, saved);
    for (const auto& photo : saved)
        EXPECT_TRUE(JpegCodec::readHeader(test::JpegBytes::read(photo))) << photo;
    const InfoRecord record = InfoRecord::read(store / ".MISC" / "Info.plist");
    EXPECT_FALSE(record.wasCorrupt());
    EXPECT_EQ(record.lastFileGroupNumber(100), 2 * kEach);
}

}  // namespace
}  // namespace kestrel
