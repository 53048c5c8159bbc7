#include "core/settings/EffectiveSettings.h"

#include "core/settings/Camera1Data.h"

namespace kestrel {

EffectiveSettings::EffectiveSettings(const Camera1Data* record, int variant) : variant_(variant) {
    if (!record) return;
    mode_ = record->mode();
    ratio_ = record->ratio();
    modification_ = record->modification();
    fullSizePhoto_ = record->fullSizePhoto();
    enhance_ = record->enhance();
    timeStamp_ = record->timeStamp();
    autoSave_ = record->autoSave();
    vibrateAlert_ = record->vibrateAlert();
    timerBeep_ = record->timerBeep();
    grid_ = record->grid();
    digitalZoom_ = record->digitalZoom();
    fullScreenShutter_ = record->fullScreenShutter();
    // The Faces mode's photo is always the frame the faces were seen in.
    catchTheMoment_ = mode_ == Camera1Data::kFaces || record->stillChoice().catchTheMoment(mode_);
    pickTheSharpest_ = record->stillChoice().pickTheSharpest(mode_);
}

bool EffectiveSettings::fullSizePhoto() const {
    if (Camera1Data::canChangeFullSizePhoto(mode_, variant_)) return fullSizePhoto_;
    // The merged modes need the camera's full picture; so do the variants
    // that have no reduced size.
    return mode_ == Camera1Data::kDoubleExposure || mode_ == Camera1Data::kAnaglyph3D ||
           variant_ == 40190 || variant_ == 40200;
}

bool EffectiveSettings::enhance() const {
    return Camera1Data::canChangeEnhance(mode_) ? enhance_ : false;
}

bool EffectiveSettings::tilt() const { return variant_ == 40200; }

std::int32_t EffectiveSettings::ratio() const {
    if (Camera1Data::inRatioVariants(variant_))
        return Camera1Data::canChangeRatio(mode_, variant_) ? ratio_ : 0;
    return variant_ == 50203 ? 2 : 0;
}

std::int32_t EffectiveSettings::modification() const {
    switch (variant_) {
    case 40113: return Camera1Data::kNightVisionEffect;
    case 40190: return 9;  // Pencil
    case 40210: return 2;  // Sepia
    case 40220: return 0;  // Color
    default: return Camera1Data::canChangeModification(mode_, variant_) ? modification_ : 0;
    }
}

bool EffectiveSettings::timeStamp() const {
    return Camera1Data::canChangeTimeStamp(mode_) ? timeStamp_ : false;
}

bool EffectiveSettings::autoSave() const {
    // Motion always saves at once; Print never does.
    return Camera1Data::canChangeAutoSave(mode_) ? autoSave_ : mode_ != Camera1Data::kPrint;
}

bool EffectiveSettings::vibrateAlert() const {
    return Camera1Data::canChangeVibrateAlert(mode_) ? vibrateAlert_ : false;
}

bool EffectiveSettings::timerBeep() const {
    return Camera1Data::canChangeTimerBeep(mode_) ? timerBeep_ : false;
}

bool EffectiveSettings::grid() const { return Camera1Data::canChangeGrid(mode_) ? grid_ : false; }

bool EffectiveSettings::digitalZoom() const {
    return Camera1Data::canChangeDigitalZoom(mode_, variant_) ? digitalZoom_ : false;
}

bool EffectiveSettings::fullScreenShutter() const {
    return Camera1Data::canChangeFullScreenShutter(mode_) ? fullScreenShutter_ : false;
}

bool EffectiveSettings::modifiedImage() const {
    return modification() != 0 || ratio() != 0 || timeStamp();
}

}  // namespace kestrel
