#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kestrel {
namespace {

using Field = std::pair<std::string, std::variant<bool, std::int32_t>>;

std::vector<Field> fieldsOf(const Camera1Data& record) {
    std::vector<Field> fields;
    Camera1Data::visitAllFields(record,
                                [&](const char* key, const auto& value) { fields.emplace_back(key, value); });
    return fields;
}

TEST(Camera1DataTest, FirstStartTakesTheDefaultsAndWritesNothing) {
    test::MemoryStore store;
    Camera1Data record(store);
    const std::vector<Field> expected{
        {"camera mode", 0}, {"camera modification", 0}, {"ratio", 0}, {"flash", 0}, {"camera", 0},
        {"full size photo", true}, {"fullscreen shutter", true}, {"timer beep", true},
        {"vibrate alert", false}, {"sound cues", false}, {"mirror front photos", false}, {"auto save", false}, {"time stamp", false}, {"enhance", false},
        {"grid", false}, {"digital zoom", false}, {"tilt", false},
        {"stabilizer auto shutter", false}, {"stabilizer shutter delay", 10},
        {"stabilizer sensitivity", 0}, {"stabilizer max wait", 0}, {"timer delay", 10},
        {"timer repeat", false}, {"timer interval", 0}, {"timer count", 0},
        {"timer active hours", false}, {"timer active from", 420}, {"timer active to", 1140},
        {"toss sensitivity", 0}, {"motion sensitivity", 0}, {"motion delay", 5},
        {"motion ignore light", false},
        {"sound sensitivity", 0}, {"rapid mode", 16}, {"video resolution", 320},
        {"3d color", false},
        // Which frame each mode's still is: 0, each mode's own default.
        {"stabilizer catch the moment", 0}, {"standard catch the moment", 0}, {"timer catch the moment", 0},
        {"toss catch the moment", 0}, {"motion catch the moment", 0}, {"sound catch the moment", 0},
        {"stabilizer pick the sharpest", 0}, {"standard pick the sharpest", 0},
        {"timer pick the sharpest", 0}, {"sound pick the sharpest", 0},
        // The Faces mode: a smile, one face, medium, a 5 s count-down, no repeat.
        {"faces trigger", 0}, {"faces count", 1}, {"faces sensitivity", 0}, {"faces delay", 5},
        {"faces repeat", false},
    };
    EXPECT_EQ(fieldsOf(record), expected);
    EXPECT_FALSE(record.persisted());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(Camera1Data::data(), &record);
}

TEST(Camera1DataTest, SaveWritesEveryKeyInStoreOrderAndLoadReadsThemBack) {
    test::MemoryStore store;
    std::vector<Field> saved;
    {
        Camera1Data record(store);
        record.setMode(6);
        record.setModification(9);
        record.setRatio(28);
        record.setFlash(2);
        record.setCamera(1);
        record.setFullSizePhoto(false);
        record.setFullScreenShutter(false);
        record.setTimerBeep(false);
        record.setVibrateAlert(true);
        record.setAutoSave(true);
        record.setTimeStamp(true);
        record.setEnhance(true);
        record.setGrid(true);
        record.setDigitalZoom(true);
        record.stablizer().setAutoShutter(true);
        record.stablizer().setShutterDelay(3);
        record.stablizer().setSensitivity(2);
        record.stablizer().setMaxWait(30);
        record.timer().setTimerDelay(60);
        record.timer().setRepeat(true);
        record.timer().setInterval(300);
        record.timer().setCount(25);
        record.timer().setActiveHours(true);
        record.timer().setActiveFrom(22 * 60);
        record.timer().setActiveTo(2 * 60);
        record.toss().setSensitivity(3);
        record.motion().setSensitivity(2);
        record.motion().setTimerDelay(-7);  // the record accepts any integer
        record.motion().setIgnoreLight(true);
        record.sound().setSensitivity(3);
        record.rapid().setRapidMode(25);
        record.video().setResolution(128);
        record.anaglyph().setColor(true);
        ASSERT_TRUE(record.save());
        saved = fieldsOf(record);
    }
    std::vector<std::string> order{"persisted"};
    for (const Field& field : saved) order.push_back(field.first);
    EXPECT_EQ(store.writes, order);

    Camera1Data loaded(store);
    EXPECT_TRUE(loaded.persisted());
    EXPECT_EQ(fieldsOf(loaded), saved);
}

TEST(Camera1DataTest, TiltNeverSurvivesALoad) {
    test::MemoryStore store;
    {
        Camera1Data record(store);
        record.setTilt(true);
        record.save();
    }
    EXPECT_TRUE(store.boolForKey("tilt"));  // stored as it was...
    Camera1Data loaded(store);
    EXPECT_FALSE(loaded.tilt());  // ...but cleared on load
}

TEST(Camera1DataTest, MissingKeysReadAsZeroNotAsTheSubRecordDefault) {
    test::MemoryStore store;
    {
        Camera1Data record(store);
        record.save();
    }
    store.removeObjectForKey("video resolution");
    store.removeObjectForKey("timer delay");
    store.removeObjectForKey("fullscreen shutter");
    Camera1Data loaded(store);
    EXPECT_EQ(loaded.video().resolution(), 0);
    EXPECT_EQ(loaded.timer().timerDelay(), 0);
    EXPECT_FALSE(loaded.fullScreenShutter());
    EXPECT_EQ(loaded.rapid().rapidMode(), 16);
}

TEST(Camera1DataTest, AStoreFromBeforeTheActiveHoursReadsThemAsOff) {
    test::MemoryStore store;
    {
        Camera1Data record(store);
        record.timer().setInterval(60);
        record.timer().setActiveHours(true);  // as a newer Kestrel saved them...
        record.save();
    }
    // ...and an older one, which never wrote them, left them out.
    for (const char* key : {"timer active hours", "timer active from", "timer active to"})
        store.removeObjectForKey(key);
    Camera1Data loaded(store);
    EXPECT_FALSE(loaded.timer().activeHours());
    EXPECT_EQ(loaded.timer().activeFrom(), 0);
    EXPECT_EQ(loaded.timer().activeTo(), 0);
    EXPECT_EQ(loaded.timer().interval(), 60);
}

TEST(Camera1DataTest, LoadReplacesSubRecordsWholesale) {
    test::MemoryStore store;
    Camera1Data record(store);
    record.save();
    record.rapid().setRapidMode(99);
    record.load();
    EXPECT_EQ(record.rapid().rapidMode(), 16);
}

TEST(Camera1DataTest, RatioAndEffectTables) {
    EXPECT_EQ(Camera1Data::getRatioText(0), "4 x 3");
    EXPECT_EQ(Camera1Data::getRatioSubText(0), "Normal");
    EXPECT_DOUBLE_EQ(Camera1Data::getAspectRatio(0), 4.0 / 3.0);
    EXPECT_EQ(Camera1Data::getRatioText(11), "1.71");
    EXPECT_DOUBLE_EQ(Camera1Data::getAspectRatio(11), 128.0 / 75.0);
    EXPECT_EQ(Camera1Data::getRatioText(13), "1.85");
    EXPECT_EQ(Camera1Data::getRatioSubText(13), "35mm Widescreen/US Theater");
    EXPECT_EQ(Camera1Data::getRatioText(28), "Golden Ratio");
    EXPECT_EQ(Camera1Data::getRatioSubText(28), "1.6180339887...");
    EXPECT_DOUBLE_EQ(Camera1Data::getAspectRatio(28), 1.61803399);
    for (int index = 0; index < Camera1Data::kRatioCount; ++index)
        EXPECT_GE(Camera1Data::getAspectRatio(index), 1.0) << index;
    for (int bad : {-1, 29, 1000}) {
        EXPECT_EQ(Camera1Data::getRatioText(bad), "Error");
        EXPECT_EQ(Camera1Data::getRatioSubText(bad), "Error");
        EXPECT_DOUBLE_EQ(Camera1Data::getAspectRatio(bad), 1.0);
    }
    EXPECT_EQ(Camera1Data::getEffectText(0), "Color");
    EXPECT_EQ(Camera1Data::getEffectText(7), "Cyan Channel");
    EXPECT_EQ(Camera1Data::getEffectText(10), "Night Vision");
    EXPECT_EQ(Camera1Data::getEffectText(11), "");
    EXPECT_EQ(Camera1Data::getEffectText(-1), "");
}

TEST(Camera1DataTest, EffectiveValuesFollowTheProcessWideRecordAndCode) {
    ApplicationId::setId(ApplicationId::kThisBuild);
    // Before start-up created the record, every stored value reads as 0/NO.
    EXPECT_EQ(Camera1Data::data(), nullptr);
    EXPECT_FALSE(Camera1Data::effective().fullSizePhoto());
    EXPECT_FALSE(Camera1Data::effective().autoSave());

    test::MemoryStore store;
    Camera1Data record(store);
    record.setMode(Camera1Data::kStandard);
    record.setTimeStamp(true);
    EXPECT_TRUE(Camera1Data::effective().fullSizePhoto());
    EXPECT_TRUE(Camera1Data::effective().modifiedImage());
    record.setTimeStamp(false);
    EXPECT_FALSE(Camera1Data::effective().modifiedImage());

    ApplicationId::setId(50203);
    EXPECT_EQ(Camera1Data::effective().ratio(), 2);
    ApplicationId::setId(0);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// Stored as 0 (the mode's default), 1 (on) or 2 (off): a record stored
// before the options existed reads as each mode's default.
TEST(Camera1StillChoiceDataTest, EachModeHasItsDefaultAndOffersOnlyItsOptions) {
    Camera1StillChoiceData choice;
    struct Row {
        int mode;
        bool catchesByDefault, offersCatch, offersSharpest;
    };
    const std::vector<Row> rows = {
        {Camera1Data::kStabilizing, false, true, true}, {Camera1Data::kStandard, false, true, true},
        {Camera1Data::kTimer, false, true, true},       {Camera1Data::kMoving, true, true, false},
        {Camera1Data::kMotion, true, true, false},      {Camera1Data::kSound, true, true, true},
        {Camera1Data::kRapidFire, false, false, false}, {Camera1Data::kDoubleExposure, false, false, false},
        {Camera1Data::kPrint, false, false, false},     {-1, false, false, false},
        {42, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        EXPECT_EQ(choice.catchTheMoment(row.mode), row.catchesByDefault);
        EXPECT_FALSE(choice.pickTheSharpest(row.mode));
        choice.setCatchTheMoment(row.mode, !row.catchesByDefault);
        choice.setPickTheSharpest(row.mode, true);
        EXPECT_EQ(choice.catchTheMoment(row.mode), row.offersCatch ? !row.catchesByDefault : false);
        EXPECT_EQ(choice.pickTheSharpest(row.mode), row.offersSharpest);
    }
    // A hand-edited store's odd value reads as the default.
    test::MemoryStore store;
    store.setInteger(7, "sound catch the moment");
    choice.load(store);
    EXPECT_TRUE(choice.catchTheMoment(Camera1Data::kSound));
}

}  // namespace
}  // namespace kestrel
