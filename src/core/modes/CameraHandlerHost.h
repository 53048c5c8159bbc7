#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"
#include "core/platform/AudioUnit.h"
#include "core/platform/FaceFinder.h"
#include "core/platform/RunLoop.h"
#include "core/platform/SystemSounds.h"
#include "core/ui/Button.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kestrel {

// What a mode handler uses of the camera controller: the picture request and
// the widgets it drives (count-down label, sensing panel and its level bar,
// the shutter button, the save label, the ghost over the live view), the
// live-view snapshot, the main run loop, the sounds, the microphone and the
// resources.
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
    // The label over the picture that tells of saving and of a series' progress.
    virtual Label& saveLabel() = 0;
    // Shows a picture faintly over the live view; none removes it.
    virtual void overlay(const Image& ghost) = 0;
    // What the live view shows in `rect` of the overlay view, camera picture included.
    virtual Image cameraScreenshot(Rect rect) = 0;
    // Where the camera's picture lies in the overlay view, without the black
    // around it; the phone's picture area where nothing else is known.
    virtual Rect livePictureRect() { return Rect{0, 0, 320, 427}; }
    // Whether the device has an accelerometer (a laptop or a desktop usually
    // has none).
    virtual bool hasAccelerometer() const { return true; }
    // Shows on the camera screen why the mode cannot work on this device (its
    // handler's unavailableReason), if it cannot.
    virtual void showModeNotice() {}
    // The microphone's audio system; none when there is no audio input.
    virtual AudioSystem* audioSystem() = 0;
    // A sensing watch has started: the picture is now up to the sensor.
    virtual void sensingStarted() {}
    // The mode began or stopped waiting for its trigger (a count-down, a
    // sensing watch, the pause of a series).
    virtual void waitingChanged() {}
    // The camera's live frame, as the live view shows it; none without a camera.
    virtual Image previewFrame() { return Image(); }
    // The face finder; none where it is not installed.
    virtual std::shared_ptr<FaceFinder> faceFinder() { return nullptr; }
    // One line of the screen's event trace ("count-down 3", "beep", ...).
    virtual void trace(const std::string& event) { (void)event; }
};

}  // namespace kestrel
