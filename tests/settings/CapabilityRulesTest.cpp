#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace kestrel {
namespace {

const std::set<int> kListedVariants{40100, 40111, 40113, 40180, 40190,
                                    40200, 40210, 40220, 50202, 50203};
// Codes outside the list fall under "any other".
const std::set<int> kAllVariants = [] {
    std::set<int> all = kListedVariants;
    all.insert({0, 40112, 99999, -1});
    return all;
}();

bool in(const std::set<int>& set, int value) { return set.count(value) != 0; }

// The modes for which each rule answers YES, written out as sets (the
// Faces mode, 11, is added below where the timer is in).
std::set<int> expectedModesBeforeFaces(const std::string& rule, int variant) {
    const std::set<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::set<int> r{40100, 40111, 40180, 40200, 40210, 40220, 50202};
    const std::set<int> z{40100, 40111, 40180, 40210, 40220, 50202, 50203};
    if (rule == "canChangeFullScreenShutter" || rule == "canChangeTimeStamp") return all;
    if (rule == "canChangeGrid") return {0, 1, 2, 3, 5, 7, 9, 10};
    if (rule == "canChangeTimerBeep") return {2, 4};
    if (rule == "canChangeVibrateAlert") return {0, 2, 3};
    if (rule == "canChangeAutoSave") return {-1, 0, 1, 2, 3, 5, 6, 7, 8, 9, 11};
    if (rule == "canChangeAutoShutter" || rule == "canChangeShutterDelay") return {0};
    if (rule == "canChangeTilt" || rule == "canChangeEnhance") return {};
    if (rule == "canChangeFullSizePhoto")
        return in({40113, 40190, 40200}, variant) ? std::set<int>{} : std::set<int>{0, 1, 2, 3, 4, 5};
    if (rule == "canChangeRatio") return in(r, variant) ? std::set<int>{0, 1, 2, 3, 5, 7, 10} : std::set<int>{};
    if (rule == "canChangeModification")
        return in({40113, 40190, 40210, 40220}, variant) ? std::set<int>{}
                                                         : std::set<int>{0, 1, 2, 3, 5, 10};
    if (rule == "canChangeDigitalZoom")
        return in(z, variant) ? std::set<int>{0, 1, 2, 3, 5, 6, 7, 9, 10} : std::set<int>{};
    ADD_FAILURE() << "unknown rule " << rule;
    return {};
}

// The Faces mode answers every rule as the timer does.
std::set<int> expectedModes(const std::string& rule, int variant) {
    std::set<int> modes = expectedModesBeforeFaces(rule, variant);
    if (modes.count(2)) modes.insert(11);
    return modes;
}

class CapabilityRulesTest : public ::testing::Test {
protected:
    void TearDown() override { ApplicationId::setId(0); }
};

TEST_F(CapabilityRulesTest, EveryRuleForEveryVariantAndModeNumber) {
    ASSERT_EQ(Camera1Data::capabilityRules().size(), 14u);
    for (int variant : kAllVariants) {
        ApplicationId::setId(variant);
        for (const CapabilityRule& rule : Camera1Data::capabilityRules()) {
            std::set<int> yes;
            for (int mode = -3; mode <= 13; ++mode)
                if (rule.rule(mode, variant)) yes.insert(mode);
            std::set<int> expected = expectedModes(rule.name, variant);
            if (std::string(rule.name) == "canChangeAutoSave") expected.insert({-3, -2, 12, 13});
            EXPECT_EQ(yes, expected) << rule.name << " for variant " << variant;
        }
        // The one-argument forms read the process-wide code.
        for (int mode = -1; mode <= 11; ++mode) {
            EXPECT_EQ(Camera1Data::canChangeRatio(mode), Camera1Data::canChangeRatio(mode, variant));
            EXPECT_EQ(Camera1Data::canChangeDigitalZoom(mode),
                      Camera1Data::canChangeDigitalZoom(mode, variant));
            EXPECT_EQ(Camera1Data::canChangeModification(mode),
                      Camera1Data::canChangeModification(mode, variant));
            EXPECT_EQ(Camera1Data::canChangeFullSizePhoto(mode),
                      Camera1Data::canChangeFullSizePhoto(mode, variant));
        }
    }
}

// What each product variant lets the user choose, as a whole: "per mode"
// means the stored value where the mode allows the option, else the fallback.
struct VariantRow {
    enum Kind { PerMode, Fixed };
    Kind ratio; int fixedRatio;
    Kind effect; int fixedEffect;
    bool zoomPerMode;
    enum FullSize { FullPerMode, FullAlways, FullOnlyMerged } fullSize;
    bool tilt;
};

VariantRow rowFor(int variant) {
    using V = VariantRow;
    switch (variant) {
    case 40100: case 40111: case 40180: case 50202:
        return {V::PerMode, 0, V::PerMode, 0, true, V::FullPerMode, false};
    case 40113: return {V::Fixed, 0, V::Fixed, 10, false, V::FullOnlyMerged, false};
    case 40190: return {V::Fixed, 0, V::Fixed, 9, false, V::FullAlways, false};
    case 40200: return {V::PerMode, 0, V::PerMode, 0, false, V::FullAlways, true};
    case 40210: return {V::PerMode, 0, V::Fixed, 2, true, V::FullPerMode, false};
    case 40220: return {V::PerMode, 0, V::Fixed, 0, true, V::FullPerMode, false};
    case 50203: return {V::Fixed, 2, V::PerMode, 0, true, V::FullPerMode, false};
    default: return {V::Fixed, 0, V::PerMode, 0, false, V::FullPerMode, false};
    }
}

TEST_F(CapabilityRulesTest, EffectiveValuesMatchTheVariantTable) {
    test::MemoryStore store;
    Camera1Data record(store);
    // Faces (11) as the timer.
    const std::set<int> ratioModes{0, 1, 2, 3, 5, 7, 10, 11};
    const std::set<int> effectModes{0, 1, 2, 3, 5, 10, 11};
    const std::set<int> zoomModes{0, 1, 2, 3, 5, 6, 7, 9, 10, 11};
    const std::set<int> fullSizeModes{0, 1, 2, 3, 4, 5, 11};
    for (int variant : kAllVariants) {
        const VariantRow row = rowFor(variant);
        for (int mode = -1; mode <= 11; ++mode) {
            for (bool stored : {false, true}) {
                record.setMode(mode);
                record.setRatio(stored ? 17 : 4);
                record.setModification(stored ? 3 : 6);
                record.setDigitalZoom(stored);
                record.setFullSizePhoto(stored);
                record.setTimeStamp(false);
                const EffectiveSettings e(&record, variant);
                SCOPED_TRACE("variant " + std::to_string(variant) + " mode " + std::to_string(mode) +
                             (stored ? " stored on" : " stored off"));

                const int ratio = row.ratio == VariantRow::Fixed ? row.fixedRatio
                                  : in(ratioModes, mode)         ? record.ratio()
                                                                 : 0;
                EXPECT_EQ(e.ratio(), ratio);
                const int effect = row.effect == VariantRow::Fixed ? row.fixedEffect
                                   : in(effectModes, mode)         ? record.modification()
                                                                   : 0;
                EXPECT_EQ(e.modification(), effect);
                EXPECT_EQ(e.digitalZoom(), row.zoomPerMode && in(zoomModes, mode) && stored);
                const bool merged = mode == 7 || mode == 9;
                const bool fullSize = row.fullSize == VariantRow::FullAlways       ? true
                                      : row.fullSize == VariantRow::FullOnlyMerged ? merged
                                      : in(fullSizeModes, mode)                    ? stored
                                                                                   : merged;
                EXPECT_EQ(e.fullSizePhoto(), fullSize);
                EXPECT_EQ(e.tilt(), row.tilt);
                EXPECT_FALSE(e.enhance());
                EXPECT_EQ(e.modifiedImage(), effect != 0 || ratio != 0);
            }
        }
    }
}

TEST_F(CapabilityRulesTest, OptionsFilteredByModeUnderThisBuild) {
    test::MemoryStore store;
    Camera1Data record(store);
    record.setRatio(1);
    record.setModification(2);
    record.setDigitalZoom(true);
    record.setGrid(true);
    record.setTimerBeep(true);
    record.setAutoSave(false);
    record.setFullSizePhoto(false);
    record.setVibrateAlert(true);
    record.setFullScreenShutter(true);
    const int v = ApplicationId::kThisBuild;

    record.setMode(Camera1Data::kMotion);
    EffectiveSettings motion(&record, v);
    EXPECT_EQ(motion.ratio(), 0);
    EXPECT_EQ(motion.modification(), 0);
    EXPECT_FALSE(motion.digitalZoom());
    EXPECT_TRUE(motion.autoSave());  // Motion always saves at once
    EXPECT_TRUE(motion.timerBeep());
    EXPECT_FALSE(motion.grid());
    EXPECT_FALSE(motion.vibrateAlert());

    record.setMode(Camera1Data::kRapidFire);
    EffectiveSettings rapid(&record, v);
    EXPECT_TRUE(rapid.digitalZoom());
    EXPECT_EQ(rapid.ratio(), 0);
    EXPECT_FALSE(rapid.grid());
    EXPECT_FALSE(rapid.timerBeep());

    record.setMode(Camera1Data::kAnaglyph3D);
    EXPECT_TRUE(EffectiveSettings(&record, v).fullSizePhoto());

    record.setMode(Camera1Data::kPrint);
    EXPECT_FALSE(EffectiveSettings(&record, v).autoSave());  // Print never saves at once
    record.setMode(42);
    EffectiveSettings unknown(&record, v);
    EXPECT_FALSE(unknown.autoSave());  // stored value: off
    EXPECT_FALSE(unknown.fullScreenShutter());
    EXPECT_FALSE(unknown.grid());

    record.setMode(Camera1Data::kStandard);
    record.setRatio(0);
    record.setModification(0);
    record.setTimeStamp(true);
    EXPECT_TRUE(EffectiveSettings(&record, v).modifiedImage());
    record.setTimeStamp(false);
    EXPECT_FALSE(EffectiveSettings(&record, v).modifiedImage());
}

}  // namespace
}  // namespace kestrel
