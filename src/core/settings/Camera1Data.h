#pragma once

#include "core/settings/Camera13dData.h"
#include "core/settings/Camera1FacesData.h"
#include "core/settings/Camera1MotionData.h"
#include "core/settings/Camera1RapidData.h"
#include "core/settings/Camera1SoundData.h"
#include "core/settings/Camera1StillChoiceData.h"
#include "core/settings/Camera1StablizingData.h"
#include "core/settings/Camera1StandardData.h"
#include "core/settings/Camera1TimerData.h"
#include "core/settings/Camera1TossData.h"
#include "core/settings/Camera1VideoData.h"
#include "core/settings/EffectiveSettings.h"
#include "core/settings/PrefObject.h"

#include <array>
#include <cstdint>
#include <string>

namespace kestrel {

// One capability rule: whether an option applies to a mode number under a
// product variant code.
struct CapabilityRule {
    const char* name;
    bool (*rule)(int mode, int variant);
};

// The one record of every camera choice: mode, colour effect, aspect ratio,
// flash, camera, ten options, and one sub-record per shooting mode. It loads
// itself from the preference store when it is created (defaults on the very
// first start) and is written back as a whole by save().
//
// The parts that take, process or save a picture read the effective values
// (effective()), never the stored ones. Main thread.
class Camera1Data final : public PrefObject {
public:
    // Mode numbers.
    enum Mode : int {
        kStabilizing = 0, kStandard = 1, kTimer = 2, kMoving = 3, kMotion = 4, kSound = 5,
        kRapidFire = 6, kDoubleExposure = 7, kVideo = 8, kAnaglyph3D = 9, kPrint = 10,
        kFaces = 11,
    };
    static constexpr int kRatioCount = 29;
    static constexpr int kEffectCount = 11;
    static constexpr int kNightVisionEffect = 10;

    explicit Camera1Data(PreferenceStore& store);
    ~Camera1Data() override = default;

    // The process-wide record (the single object), or none before start-up
    // created it.
    static Camera1Data* data();
    // The effective values of the process-wide record under the process-wide
    // product variant code. With no record, every stored value reads as 0/NO.
    static EffectiveSettings effective();

    // Stored values: plain accessors, no checks. A change is reported to the
    // change observer (see PrefObject), which is how it gets saved.
    std::int32_t mode() const { return mode_; }
    void setMode(std::int32_t value) { assign(mode_, value); }
    std::int32_t modification() const { return modification_; }
    void setModification(std::int32_t value) { assign(modification_, value); }
    std::int32_t ratio() const { return ratio_; }
    void setRatio(std::int32_t value) { assign(ratio_, value); }
    std::int32_t flash() const { return flash_; }
    void setFlash(std::int32_t value) { assign(flash_, value); }
    std::int32_t camera() const { return camera_; }
    void setCamera(std::int32_t value) { assign(camera_, value); }
    bool fullScreenShutter() const { return fullScreenShutter_; }
    void setFullScreenShutter(bool value) { assign(fullScreenShutter_, value); }
    bool timerBeep() const { return timerBeep_; }
    void setTimerBeep(bool value) { assign(timerBeep_, value); }
    bool vibrateAlert() const { return vibrateAlert_; }
    void setVibrateAlert(bool value) { assign(vibrateAlert_, value); }
    // Short sounds for "armed", "shot" and "saved", for a user who is not looking.
    bool soundCues() const { return soundCues_; }
    void setSoundCues(bool value) { assign(soundCues_, value); }
    // A photo from a camera that faces the user saved as a mirror shows it,
    // as its live view does (off: as others see the scene).
    bool mirrorFrontPhotos() const { return mirrorFrontPhotos_; }
    void setMirrorFrontPhotos(bool value) { assign(mirrorFrontPhotos_, value); }
    bool autoSave() const { return autoSave_; }
    void setAutoSave(bool value) { assign(autoSave_, value); }
    bool timeStamp() const { return timeStamp_; }
    void setTimeStamp(bool value) { assign(timeStamp_, value); }
    bool enhance() const { return enhance_; }
    void setEnhance(bool value) { assign(enhance_, value); }
    bool fullSizePhoto() const { return fullSizePhoto_; }
    void setFullSizePhoto(bool value) { assign(fullSizePhoto_, value); }
    bool grid() const { return grid_; }
    void setGrid(bool value) { assign(grid_, value); }
    bool digitalZoom() const { return digitalZoom_; }
    void setDigitalZoom(bool value) { assign(digitalZoom_, value); }
    bool tilt() const { return tilt_; }
    void setTilt(bool value) { assign(tilt_, value); }

    // Sub-records. They are replaced by fresh ones on every load and
    // initialize: read them through these accessors, never keep one. Their
    // setters report changes to this record like its own.
    Camera1StandardData& standard() { return standard_; }
    const Camera1StandardData& standard() const { return standard_; }
    void setStandard(const Camera1StandardData& value) { replace(standard_, value); }
    Camera1StablizingData& stablizer() { return stablizer_; }
    const Camera1StablizingData& stablizer() const { return stablizer_; }
    void setStablizer(const Camera1StablizingData& value) { replace(stablizer_, value); }
    Camera1TimerData& timer() { return timer_; }
    const Camera1TimerData& timer() const { return timer_; }
    void setTimer(const Camera1TimerData& value) { replace(timer_, value); }
    Camera1TossData& toss() { return toss_; }
    const Camera1TossData& toss() const { return toss_; }
    void setToss(const Camera1TossData& value) { replace(toss_, value); }
    Camera1MotionData& motion() { return motion_; }
    const Camera1MotionData& motion() const { return motion_; }
    void setMotion(const Camera1MotionData& value) { replace(motion_, value); }
    Camera1SoundData& sound() { return sound_; }
    const Camera1SoundData& sound() const { return sound_; }
    void setSound(const Camera1SoundData& value) { replace(sound_, value); }
    Camera1RapidData& rapid() { return rapid_; }
    const Camera1RapidData& rapid() const { return rapid_; }
    void setRapid(const Camera1RapidData& value) { replace(rapid_, value); }
    Camera1VideoData& video() { return video_; }
    const Camera1VideoData& video() const { return video_; }
    void setVideo(const Camera1VideoData& value) { replace(video_, value); }
    Camera13dData& anaglyph() { return anaglyph_; }
    const Camera13dData& anaglyph() const { return anaglyph_; }
    void setAnaglyph(const Camera13dData& value) { replace(anaglyph_, value); }
    Camera1FacesData& faces() { return faces_; }
    const Camera1FacesData& faces() const { return faces_; }
    void setFaces(const Camera1FacesData& value) { replace(faces_, value); }
    Camera1StillChoiceData& stillChoice() { return stillChoice_; }
    const Camera1StillChoiceData& stillChoice() const { return stillChoice_; }
    void setStillChoice(const Camera1StillChoiceData& value) { replace(stillChoice_, value); }

    // Clears what must never be on after a load: tilt.
    void autocorrect();

    // Every stored field of the record and its sub-records, with its
    // preference key, in store order: visit(key, bool&) or
    // visit(key, std::int32_t&).
    template <class Self, class Visit>
    static void visitAllFields(Self& self, Visit&& visit) {
        visitOwnFields(self, visit);
        Camera1StandardData::visitFields(self.standard_, visit);
        Camera1StablizingData::visitFields(self.stablizer_, visit);
        Camera1TimerData::visitFields(self.timer_, visit);
        Camera1TossData::visitFields(self.toss_, visit);
        Camera1MotionData::visitFields(self.motion_, visit);
        Camera1SoundData::visitFields(self.sound_, visit);
        Camera1RapidData::visitFields(self.rapid_, visit);
        Camera1VideoData::visitFields(self.video_, visit);
        Camera13dData::visitFields(self.anaglyph_, visit);
        Camera1StillChoiceData::visitFields(self.stillChoice_, visit);
        Camera1FacesData::visitFields(self.faces_, visit);
    }

    // Tables of the aspect ratios and colour effects.
    static double getAspectRatio(int index);
    static std::string getRatioText(int index);
    static std::string getRatioSubText(int index);
    static std::string getEffectText(int index);

    // Capability rules: whether an option applies to a mode number. Without
    // a variant they read the process-wide product variant code. The Faces
    // mode answers as the timer does: its photos are taken as the timer's.
    static bool canChangeFullScreenShutter(int mode);
    static bool canChangeGrid(int mode);
    static bool canChangeTimerBeep(int mode);
    static bool canChangeVibrateAlert(int mode);
    static bool canChangeAutoSave(int mode);
    static bool canChangeTimeStamp(int mode);
    static bool canChangeTilt(int mode);
    static bool canChangeEnhance(int mode);
    static bool canChangeAutoShutter(int mode);
    static bool canChangeShutterDelay(int mode);
    static bool canChangeFullSizePhoto(int mode);
    static bool canChangeFullSizePhoto(int mode, int variant);
    static bool canChangeRatio(int mode);
    static bool canChangeRatio(int mode, int variant);
    static bool canChangeModification(int mode);
    static bool canChangeModification(int mode, int variant);
    static bool canChangeDigitalZoom(int mode);
    static bool canChangeDigitalZoom(int mode, int variant);

    // The fourteen rules by name, in the order above.
    static const std::array<CapabilityRule, 14>& capabilityRules();

    // Product variant sets of the rules.
    static bool inRatioVariants(int variant);
    static bool inZoomVariants(int variant);

    using PrefObject::load;
    using PrefObject::save;

protected:
    void load(PreferenceStore& store) override;
    void save(PreferenceStore& store) const override;
    void initialize() override;

private:
    template <class Self, class Visit>
    static void visitOwnFields(Self& self, Visit& visit) {
        visit("camera mode", self.mode_);
        visit("camera modification", self.modification_);
        visit("ratio", self.ratio_);
        visit("flash", self.flash_);
        visit("camera", self.camera_);
        visit("full size photo", self.fullSizePhoto_);
        visit("fullscreen shutter", self.fullScreenShutter_);
        visit("timer beep", self.timerBeep_);
        visit("vibrate alert", self.vibrateAlert_);
        visit("sound cues", self.soundCues_);
        visit("mirror front photos", self.mirrorFrontPhotos_);
        visit("auto save", self.autoSave_);
        visit("time stamp", self.timeStamp_);
        visit("enhance", self.enhance_);
        visit("grid", self.grid_);
        visit("digital zoom", self.digitalZoom_);
        visit("tilt", self.tilt_);
    }
    void resetSubRecords();
    void attachSubRecords();
    // A whole sub-record replaced: reported when a value differs.
    template <class Record>
    void replace(Record& field, const Record& value) {
        if (Record::sameValues(field, value)) return;
        field = value;
        didChange();
    }

    std::int32_t mode_ = 0;
    std::int32_t modification_ = 0;
    std::int32_t ratio_ = 0;
    std::int32_t flash_ = 0;
    std::int32_t camera_ = 0;
    bool fullScreenShutter_ = false;
    bool timerBeep_ = false;
    bool vibrateAlert_ = false;
    bool soundCues_ = false;
    bool mirrorFrontPhotos_ = false;
    bool autoSave_ = false;
    bool timeStamp_ = false;
    bool enhance_ = false;
    bool fullSizePhoto_ = false;
    bool grid_ = false;
    bool digitalZoom_ = false;
    bool tilt_ = false;
    Camera1StandardData standard_;
    Camera1StablizingData stablizer_;
    Camera1TimerData timer_;
    Camera1TossData toss_;
    Camera1MotionData motion_;
    Camera1SoundData sound_;
    Camera1RapidData rapid_;
    Camera1VideoData video_;
    Camera13dData anaglyph_;
    Camera1StillChoiceData stillChoice_;
    Camera1FacesData faces_;
};

}  // namespace kestrel
