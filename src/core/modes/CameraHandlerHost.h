#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/SystemSounds.h"
#include "core/ui/Button.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"

#include <filesystem>

namespace kestrel {

// What a mode handler uses of the camera controller: the picture request and
// the widgets it drives (count-down label, sensing panel and its level bar,
// the shutter button), the main run loop, the sounds and the resources.
class CameraHandlerHost {
public:
    virtual ~CameraHandlerHost() = default;

    // Take a picture now: a final one goes to processPhoto, another to firstPhoto.
    virtual void photo(bool finalPhoto) = 0;
    virtual Label& timerLabel() = 0;
    virtual View& sensorView() = 0;
    virtual IndicatorView& sensorIndicator() = 0;
    virtual ImageButton& shutterButton() = 0;
    virtual RunLoop& runLoop() = 0;
    virtual SystemSounds& systemSounds() = 0;
    virtual std::filesystem::path resources() const = 0;
};

}  // namespace kestrel
