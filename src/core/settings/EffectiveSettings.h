#pragma once

#include <cstdint>

namespace kestrel {

class Camera1Data;

// The effective values: the stored options of a record filtered by its mode
// number and a product variant code. The parts that take, process or save a
// picture read these, never the stored values. A snapshot: later changes to
// the record do not show here.
class EffectiveSettings {
public:
    // With no record, every stored value reads as 0 or NO (mode 0).
    EffectiveSettings(const Camera1Data* record, int variant);

    bool fullSizePhoto() const;
    bool enhance() const;
    bool tilt() const;
    std::int32_t ratio() const;
    std::int32_t modification() const;
    bool timeStamp() const;
    bool autoSave() const;
    bool vibrateAlert() const;
    bool timerBeep() const;
    bool grid() const;
    bool digitalZoom() const;
    bool fullScreenShutter() const;
    bool modifiedImage() const;
    // The mode's still choice (off for modes that do not offer it).
    bool catchTheMoment() const { return catchTheMoment_; }
    bool pickTheSharpest() const { return pickTheSharpest_; }

    int mode() const { return mode_; }
    int variant() const { return variant_; }

private:
    int variant_;
    int mode_ = 0;
    std::int32_t ratio_ = 0;
    std::int32_t modification_ = 0;
    bool fullSizePhoto_ = false;
    bool enhance_ = false;
    bool timeStamp_ = false;
    bool autoSave_ = false;
    bool vibrateAlert_ = false;
    bool timerBeep_ = false;
    bool grid_ = false;
    bool digitalZoom_ = false;
    bool fullScreenShutter_ = false;
    bool catchTheMoment_ = false;
    bool pickTheSharpest_ = false;
};

}  // namespace kestrel
