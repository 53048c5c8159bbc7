#include "support/CliRunner.h"
#include "core/settings/ApplicationId.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct Result {
    int status = 0;
    std::string out;
    std::string err;
    Json json() const { return Json::parse(out); }
};

class SettingsCommandTest : public ::testing::Test {
protected:
    void TearDown() override { ApplicationId::setId(0); }

    Result cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--config-dir", dir.path().string()});
        const test::CliResult run = test::runCli(std::move(args));
        return Result{run.status, run.out, run.err};
    }

    std::string fileBytes() const {
        std::ifstream in(file(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    fs::path file() const { return dir / "preferences.plist"; }

    test::TempDir dir;
};

TEST_F(SettingsCommandTest, ShowOnFirstStartGivesDefaultsAndWritesNothing) {
    const Result r = cli({"settings", "show", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json json = r.json();
    EXPECT_EQ(json["stored"].size(), 52u);  // 51 keys and "persisted"
    EXPECT_EQ(json["stored"]["faces count"], 1);
    EXPECT_EQ(json["stored"]["faces trigger"], 0);
    EXPECT_EQ(json["stored"]["timer active hours"], false);
    EXPECT_EQ(json["stored"]["timer active from"], 7 * 60);
    EXPECT_EQ(json["stored"]["timer active to"], 19 * 60);
    EXPECT_EQ(json["stored"]["mirror front photos"], false);
    EXPECT_EQ(json["stored"]["timer interval"], 0);
    EXPECT_EQ(json["stored"]["timer count"], 0);
    EXPECT_EQ(json["stored"]["stabilizer max wait"], 0);
    EXPECT_EQ(json["stored"]["motion ignore light"], false);
    EXPECT_EQ(json["stored"]["camera mode"], 0);
    EXPECT_EQ(json["stored"]["full size photo"], true);
    EXPECT_EQ(json["stored"]["video resolution"], 320);
    EXPECT_EQ(json["stored"]["persisted"], false);
    EXPECT_EQ(json["effective"].size(), 13u);
    EXPECT_EQ(json["effective"]["fullSizePhoto"], true);
    EXPECT_EQ(json["effective"]["timerBeep"], false);  // not in Stabilizing mode
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(SettingsCommandTest, SetSavesLikeLeavingTheApplication) {
    ASSERT_EQ(cli({"settings", "set", "camera mode", "4"}).status, 0);
    ASSERT_EQ(cli({"settings", "set", "timer beep", "No"}).status, 0);
    ASSERT_EQ(cli({"settings", "set", "tilt", "yes"}).status, 0);
    ASSERT_EQ(cli({"settings", "set", "motion delay", "-2147483648"}).status, 0);
    const Json json = cli({"settings", "show", "--json"}).json();
    EXPECT_EQ(json["stored"]["camera mode"], 4);
    EXPECT_EQ(json["stored"]["timer beep"], false);
    EXPECT_EQ(json["stored"]["motion delay"], -2147483648LL);
    EXPECT_EQ(json["stored"]["tilt"], false);  // cleared on every load
    EXPECT_EQ(json["stored"]["persisted"], true);
    EXPECT_EQ(json["effective"]["autoSave"], true);  // Motion saves at once
}

TEST_F(SettingsCommandTest, BadKeysAndValuesFailWithExit2AndTouchNothing) {
    ASSERT_EQ(cli({"settings", "set", "ratio", "5"}).status, 0);
    const std::string before = fileBytes();
    const std::vector<std::vector<std::string>> bad{
        {"settings", "set", "no such key", "1"},
        {"settings", "set", "grid", "maybe"},
        {"settings", "set", "ratio", "2147483648"},
        {"settings", "set", "ratio", "1.5"},
        {"settings", "set", "ratio", ""},
        {"settings", "set", "persisted", "false"},
        {"settings", "set", "ratio"},
        {"settings", "effective", "--json"},
        {"settings", "effective", "--mode", "x"},
        {"settings"},
        {"settings", "show", "--bogus"},
        {},
    };
    for (const auto& args : bad) {
        const Result r = cli(args);
        std::string joined;
        for (const auto& a : args) joined += "[" + a + "]";
        EXPECT_EQ(r.status, 2) << joined;
        EXPECT_TRUE(r.out.empty()) << joined;
        ASSERT_FALSE(r.err.empty()) << joined;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << joined << ": " << r.err;
        EXPECT_EQ(r.err.rfind("kestrel-cli: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(SettingsCommandTest, TheActiveHoursEndsTakeTimesOfDayAndNothingElse) {
    ASSERT_EQ(cli({"settings", "set", "timer active hours", "yes"}).status, 0);
    const std::vector<std::pair<std::string, int>> good{
        {"22:00", 1320}, {"6:30", 390}, {"00:00", 0}, {"23:59", 1439}, {"90", 90}, {"1439", 1439}};
    for (const auto& [text, minutes] : good) {
        for (const char* key : {"timer active from", "timer active to"}) {
            const Result r = cli({"settings", "set", key, text});
            ASSERT_EQ(r.status, 0) << key << " " << text << ": " << r.err;
            EXPECT_EQ(cli({"settings", "show", "--json"}).json()["stored"][key], minutes) << text;
        }
    }
    const std::string before = fileBytes();
    for (const char* text : {"24:00", "12:60", "1440", "-1", "7pm", "22:00:00", "", "22.30"}) {
        const Result r = cli({"settings", "set", "timer active from", text});
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_NE(r.err.find("time of day"), std::string::npos) << r.err;
    }
    EXPECT_EQ(fileBytes(), before);
    const Json json = cli({"settings", "show", "--json"}).json();
    EXPECT_EQ(json["stored"]["timer active hours"], true);
    EXPECT_EQ(json["stored"]["timer active from"], 1439);
    // Other integers keep their whole range: only the two ends are times of day.
    EXPECT_EQ(cli({"settings", "set", "timer interval", "1440"}).status, 0);
}

TEST_F(SettingsCommandTest, EffectiveForAModeAndVariant) {
    ASSERT_EQ(cli({"settings", "set", "ratio", "7"}).status, 0);
    ASSERT_EQ(cli({"settings", "set", "digital zoom", "true"}).status, 0);
    Json json = cli({"settings", "effective", "--mode", "1", "--json"}).json();
    EXPECT_EQ(json.size(), 13u);
    EXPECT_EQ(json["ratio"], 7);
    EXPECT_EQ(json["digitalZoom"], true);
    EXPECT_EQ(json["modifiedImage"], true);
    json = cli({"settings", "effective", "--mode", "1", "--variant", "50203", "--json"}).json();
    EXPECT_EQ(json["ratio"], 2);
    json = cli({"settings", "effective", "--mode", "1", "--variant", "12345", "--json"}).json();
    EXPECT_EQ(json["ratio"], 0);
    EXPECT_EQ(json["digitalZoom"], false);
    json = cli({"settings", "effective", "--mode", "-5", "--json"}).json();
    EXPECT_EQ(json["fullScreenShutter"], false);
    // Nothing was saved: the stored mode is still the default.
    EXPECT_EQ(cli({"settings", "show", "--json"}).json()["stored"]["camera mode"], 0);
}

TEST_F(SettingsCommandTest, RulesListModesFromMinusOneToEleven) {
    Json json = cli({"settings", "rules", "--json"}).json();
    EXPECT_EQ(json.size(), 14u);
    EXPECT_EQ(json["canChangeAutoSave"], Json({-1, 0, 1, 2, 3, 5, 6, 7, 8, 9, 11}));
    EXPECT_EQ(json["canChangeRatio"], Json({0, 1, 2, 3, 5, 7, 10, 11}));
    EXPECT_EQ(json["canChangeTilt"], Json::array());
    json = cli({"settings", "rules", "--variant", "50203", "--json"}).json();
    EXPECT_EQ(json["canChangeRatio"], Json::array());
    EXPECT_EQ(json["canChangeDigitalZoom"], Json({0, 1, 2, 3, 5, 6, 7, 9, 10, 11}));
    const Result text = cli({"settings", "rules"});
    EXPECT_NE(text.out.find("canChangeTimerBeep = [2,4,11]"), std::string::npos) << text.out;
}

TEST_F(SettingsCommandTest, ACorruptFileIsKeptAsideAndReported) {
    std::ofstream(file()) << "garbage";
    const Result r = cli({"settings", "show", "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.json()["stored"]["persisted"], false);
    EXPECT_NE(r.err.find("kept it as"), std::string::npos) << r.err;
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        kept += entry.path().filename().string().rfind("preferences.plist.corrupt-", 0) == 0;
    EXPECT_EQ(kept, 1);
}

TEST_F(SettingsCommandTest, ASaveThatCannotReachTheDiskFailsWithExit1) {
    std::ofstream(dir / "blocker") << "a file, not a folder";
    const test::CliResult r =
        test::runCli({"--config-dir", (dir / "blocker" / "sub").string(), "settings", "set", "grid", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not be saved"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kestrel
