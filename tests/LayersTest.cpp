#include "support/LayerRules.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

LayerRules kestrelsLayers() { return LayerRules::read(testPaths().sourceDir / "src/layers.txt"); }

TEST(LayersTest, NoIncludeUnderSrcRunsUpOrAcrossALayer) {
    const auto violations = kestrelsLayers().violations(testPaths().sourceDir / "src");
    EXPECT_TRUE(violations.empty()) << "includes against src/layers.txt:" << joined(violations);
}

TEST(LayersTest, EveryFolderOfSourcesIsInALayer) {
    const auto folders = kestrelsLayers().unclaimedFolders(testPaths().sourceDir / "src");
    EXPECT_TRUE(folders.empty()) << "folders no layer of src/layers.txt claims:" << joined(folders);
}

// A planted tree of three layers, low ← mid ← top, and a side layer that
// uses only low: each include is checked against what its layer reaches.
TEST(LayersTest, AnIncludeUpOrAcrossALayerIsFoundAndOneDownIsNot) {
    TempDir dir;
    write(dir / "layers.txt",
          "# layer library folder uses\n"
          "low   lib_low   a/low  -\n"
          "mid   lib_mid   a/mid  low\n"
          "side  -         side   low\n"
          "top   lib_top   top    mid\n");
    const LayerRules rules = LayerRules::read(dir / "layers.txt");
    const fs::path src = dir / "src";
    struct Case {
        const char* file;
        const char* include;
        const char* fault;  // empty: allowed
    };
    const Case cases[] = {
        {"a/mid/Down.cpp", "a/low/Low.h", ""},
        {"top/Reach.cpp", "a/low/Low.h", ""},  // through mid
        {"a/mid/Own.h", "a/mid/Own2.h", ""},
        {"a/low/Beside.cpp", "Beside.h", ""},
        {"a/low/Up.cpp", "a/mid/Mid.h", "a/low/Up.cpp includes a/mid/Mid.h: low does not use mid"},
        {"a/low/Top.h", "top/Top.h", "a/low/Top.h includes top/Top.h: low does not use top"},
        {"side/Across.cpp", "a/mid/Mid.h",
         "side/Across.cpp includes a/mid/Mid.h: side does not use mid"},
        {"top/Side.cpp", "side/Side.h", "top/Side.cpp includes side/Side.h: top does not use side"},
        {"top/Outside.cpp", "tests/support/X.h",
         "top/Outside.cpp includes tests/support/X.h: that lies in no layer"},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        write(src / c.file, std::string("#pragma once\n  #include \"") + c.include + "\"\n");
        if (*c.fault) expected.push_back(c.fault);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rules.violations(src), expected);

    write(src / "stray/Stray.cpp", "");
    EXPECT_EQ(rules.unclaimedFolders(src), std::vector<std::string>{"stray"});
}

TEST(LayersTest, AListThatIsNotLowestFirstIsRefused) {
    TempDir dir;
    const struct {
        const char* list;
        const char* says;
    } cases[] = {
        {"top lib top low\nlow lib low -\n", "top uses low, which is not a layer listed before it"},
        {"low lib low -\nlow lib other -\n", "low is listed twice"},
        {"low lib low\n", "not: layer library folder uses"},
    };
    for (const auto& c : cases) {
        write(dir / "layers.txt", c.list);
        try {
            LayerRules::read(dir / "layers.txt");
            ADD_FAILURE() << "read " << c.list;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace kestrel::test
