#include "core/settings/Camera1Data.h"

#include "core/platform/Log.h"
#include "core/settings/ApplicationId.h"

#include <algorithm>

namespace kestrel {
namespace {

struct RatioEntry {
    const char* text;
    const char* subText;
    double value;
};

constexpr std::array<RatioEntry, Camera1Data::kRatioCount> kRatios{{
    {"4 x 3", "Normal", 4.0 / 3.0},
    {"16 x 9", "Widescreen HD", 16.0 / 9.0},
    {"1 x 1", "Square", 1.0},
    {"1.10", "Boxy", 1.1},
    {"5 x 4", "17inch Monitor", 1.25},
    {"1.37", "35mm Film", 1.37},
    {"1.43", "IMAX", 1.43},
    {"3 x 2", "35mm Still Film", 1.5},
    {"14 x 9", "TV Commercial", 14.0 / 9.0},
    {"16 x 10", "Wide Computer Screen", 1.6},
    {"5 x 3", "Super 16mm", 5.0 / 3.0},
    {"1.71", "Netbook Widescreen", 128.0 / 75.0},
    {"1.75", "Early 35mm Widescreen", 1.75},
    {"1.85", "35mm Widescreen/US Theater", 1.85},
    {"2 x 1", "SuperScope", 2.0},
    {"2.20", "70mm", 2.2},
    {"2.35", "Early Panavision", 2.35},
    {"2.39", "Panavision", 2.39},
    {"2.55", "Cinerama 55", 2.55},
    {"2.59", "Cinerama", 2.59},
    {"2.66", "Super 16mm Anamorphic", 2.66},
    {"2.75", "Ultra-Panavision 70", 2.75},
    {"2.76", "MGM Camera 65", 2.76},
    {"3 x 1", "Super Widescreen", 3.0},
    {"3.5 x 1", "Extreme Widescreen", 3.5},
    {"4 x 1", "Polyvision", 4.0},
    {"5 x 1", "Ultra Widescreen", 5.0},
    {"10 x 1", "Thin Strip", 10.0},
    {"Golden Ratio", "1.6180339887...", 1.61803399},
}};

constexpr std::array<const char*, Camera1Data::kEffectCount> kEffects{
    "Color", "Gray Scale", "Sepia", "Hard Light", "Red", "Cyan",
    "Red Channel", "Cyan Channel", "Invert", "Pencil", "Night Vision",
};

const RatioEntry* ratioEntry(int index) {
    if (index < 0 || index >= Camera1Data::kRatioCount) return nullptr;
    return &kRatios[static_cast<std::size_t>(index)];
}

// Whether bit `mode` is set, for a mode number within [0, lastMode]. The
// Faces mode takes the timer's answers.
bool modeIn(unsigned mask, int mode, int lastMode = Camera1Data::kPrint) {
    if (mode == Camera1Data::kFaces) mode = Camera1Data::kTimer;
    return mode >= 0 && mode <= lastMode && ((mask >> mode) & 1u) != 0;
}

constexpr unsigned kAllModes = 0x7FF;           // 0 to 10
constexpr unsigned kGridModes = 0x6AF;          // 0 1 2 3 5 7 9 10
constexpr unsigned kRatioModes = 0x4AF;         // 0 1 2 3 5 7 10
constexpr unsigned kModificationModes = 0x42F;  // 0 1 2 3 5 10
constexpr unsigned kZoomModes = 0x6EF;          // 0 1 2 3 5 6 7 9 10
constexpr unsigned kTimerBeepModes = 0x14;      // 2 4
constexpr unsigned kVibrateModes = 0xD;         // 0 2 3, among 0 to 3
constexpr unsigned kFullSizeModes = 0x3F;       // 0 to 5
constexpr unsigned kStabilizingOnly = 0x1;      // 0

}  // namespace

Camera1Data::Camera1Data(PreferenceStore& store) : PrefObject(store) {
    attachSubRecords();
    init();
}

void Camera1Data::attachSubRecords() {
    standard_.attach(this);
    stablizer_.attach(this);
    timer_.attach(this);
    toss_.attach(this);
    motion_.attach(this);
    sound_.attach(this);
    rapid_.attach(this);
    video_.attach(this);
    anaglyph_.attach(this);
    stillChoice_.attach(this);
    faces_.attach(this);
}

Camera1Data* Camera1Data::data() { return dynamic_cast<Camera1Data*>(PrefObject::singleObject()); }

EffectiveSettings Camera1Data::effective() {
    const Camera1Data* record = data();
    if (!record) Log::warning("settings: read before the settings record exists; using zeros");
    return EffectiveSettings(record, ApplicationId::getId());
}

void Camera1Data::resetSubRecords() {
    standard_ = Camera1StandardData();
    stablizer_ = Camera1StablizingData();
    timer_ = Camera1TimerData();
    toss_ = Camera1TossData();
    motion_ = Camera1MotionData();
    sound_ = Camera1SoundData();
    rapid_ = Camera1RapidData();
    video_ = Camera1VideoData();
    anaglyph_ = Camera13dData();
    stillChoice_ = Camera1StillChoiceData();
    faces_ = Camera1FacesData();
}

void Camera1Data::initialize() {
    mode_ = kStabilizing;
    modification_ = 0;
    ratio_ = 0;
    fullSizePhoto_ = true;
    fullScreenShutter_ = true;
    timerBeep_ = true;
    vibrateAlert_ = false;
    soundCues_ = false;
    mirrorFrontPhotos_ = false;
    autoSave_ = false;
    timeStamp_ = false;
    enhance_ = false;
    grid_ = false;
    digitalZoom_ = false;
    tilt_ = false;
    resetSubRecords();
    autocorrect();
}

void Camera1Data::save(PreferenceStore& store) const {
    visitAllFields(*this, PrefWriter{store});
}

void Camera1Data::load(PreferenceStore& store) {
    // Fresh sub-records first, then every key is read over them.
    resetSubRecords();
    visitAllFields(*this, PrefReader{store});
    autocorrect();
}

void Camera1Data::autocorrect() { tilt_ = false; }

double Camera1Data::getAspectRatio(int index) {
    const RatioEntry* entry = ratioEntry(index);
    return entry ? entry->value : 1.0;
}

std::string Camera1Data::getRatioText(int index) {
    const RatioEntry* entry = ratioEntry(index);
    return entry ? entry->text : "Error";
}

std::string Camera1Data::getRatioSubText(int index) {
    const RatioEntry* entry = ratioEntry(index);
    return entry ? entry->subText : "Error";
}

std::string Camera1Data::getEffectText(int index) {
    if (index < 0 || index >= kEffectCount) return "";
    return kEffects[static_cast<std::size_t>(index)];
}

bool Camera1Data::inRatioVariants(int variant) {
    static constexpr std::array kR{40100, 40111, 40180, 40200, 40210, 40220, 50202};
    return std::find(kR.begin(), kR.end(), variant) != kR.end();
}

bool Camera1Data::inZoomVariants(int variant) {
    static constexpr std::array kZ{40100, 40111, 40180, 40210, 40220, 50202, 50203};
    return std::find(kZ.begin(), kZ.end(), variant) != kZ.end();
}

bool Camera1Data::canChangeFullScreenShutter(int mode) { return modeIn(kAllModes, mode); }
bool Camera1Data::canChangeTimeStamp(int mode) { return modeIn(kAllModes, mode); }
bool Camera1Data::canChangeGrid(int mode) { return modeIn(kGridModes, mode); }
bool Camera1Data::canChangeTimerBeep(int mode) { return modeIn(kTimerBeepModes, mode); }
bool Camera1Data::canChangeVibrateAlert(int mode) { return modeIn(kVibrateModes, mode, 3); }
bool Camera1Data::canChangeAutoSave(int mode) { return mode != kMotion && mode != kPrint; }
bool Camera1Data::canChangeAutoShutter(int mode) { return modeIn(kStabilizingOnly, mode); }
bool Camera1Data::canChangeShutterDelay(int mode) { return modeIn(kStabilizingOnly, mode); }
bool Camera1Data::canChangeTilt(int) { return false; }
bool Camera1Data::canChangeEnhance(int) { return false; }

bool Camera1Data::canChangeFullSizePhoto(int mode) {
    return canChangeFullSizePhoto(mode, ApplicationId::getId());
}
bool Camera1Data::canChangeFullSizePhoto(int mode, int variant) {
    if (variant == 40113 || variant == 40190 || variant == 40200) return false;
    return modeIn(kFullSizeModes, mode);
}

bool Camera1Data::canChangeRatio(int mode) { return canChangeRatio(mode, ApplicationId::getId()); }
bool Camera1Data::canChangeRatio(int mode, int variant) {
    return inRatioVariants(variant) && modeIn(kRatioModes, mode);
}

bool Camera1Data::canChangeModification(int mode) {
    return canChangeModification(mode, ApplicationId::getId());
}
bool Camera1Data::canChangeModification(int mode, int variant) {
    if (variant == 40113 || variant == 40190 || variant == 40210 || variant == 40220) return false;
    return modeIn(kModificationModes, mode);
}

bool Camera1Data::canChangeDigitalZoom(int mode) {
    return canChangeDigitalZoom(mode, ApplicationId::getId());
}
bool Camera1Data::canChangeDigitalZoom(int mode, int variant) {
    return inZoomVariants(variant) && modeIn(kZoomModes, mode);
}

const std::array<CapabilityRule, 14>& Camera1Data::capabilityRules() {
    static const std::array<CapabilityRule, 14> kRules{{
        {"canChangeFullScreenShutter", [](int m, int) { return canChangeFullScreenShutter(m); }},
        {"canChangeGrid", [](int m, int) { return canChangeGrid(m); }},
        {"canChangeTimerBeep", [](int m, int) { return canChangeTimerBeep(m); }},
        {"canChangeVibrateAlert", [](int m, int) { return canChangeVibrateAlert(m); }},
        {"canChangeAutoSave", [](int m, int) { return canChangeAutoSave(m); }},
        {"canChangeTimeStamp", [](int m, int) { return canChangeTimeStamp(m); }},
        {"canChangeTilt", [](int m, int) { return canChangeTilt(m); }},
        {"canChangeEnhance", [](int m, int) { return canChangeEnhance(m); }},
        {"canChangeAutoShutter", [](int m, int) { return canChangeAutoShutter(m); }},
        {"canChangeShutterDelay", [](int m, int) { return canChangeShutterDelay(m); }},
        {"canChangeFullSizePhoto", [](int m, int v) { return canChangeFullSizePhoto(m, v); }},
        {"canChangeRatio", [](int m, int v) { return canChangeRatio(m, v); }},
        {"canChangeModification", [](int m, int v) { return canChangeModification(m, v); }},
        {"canChangeDigitalZoom", [](int m, int v) { return canChangeDigitalZoom(m, v); }},
    }};
    return kRules;
}

}  // namespace kestrel
