#pragma once

#include "core/base/Image.h"
#include "core/modes/CameraHandlerHost.h"
#include "core/modes/SoundFile.h"
#include "core/platform/Timer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace kestrel {

// The base of every shooting mode: the shutter state machine, the count-down
// (ticks of 0.05 s, numbers D down to 1, picture at tick 20·D + 4), the
// sensor loop, and the standard photo processing. Modes override the hooks.
// Main thread.
class CameraHandler {
public:
    enum State : int { kIdle = 0, kDelay = 2, kSensing = 3 };
    static constexpr double kTick = 0.05;

    CameraHandler() = default;
    virtual ~CameraHandler();
    CameraHandler(const CameraHandler&) = delete;
    CameraHandler& operator=(const CameraHandler&) = delete;

    void setController(CameraHandlerHost* controller);
    CameraHandlerHost* controller() const { return controller_; }

    // What a picture becomes: fixed on the main thread when the picture is
    // asked for (a snapshot of the effective settings and of the mode's own
    // state), then run on the photo worker, so it touches nothing else.
    using Recipe = std::function<Image(const Image& picture)>;

    // --- The controller's protocol ---
    virtual void ready();
    virtual bool shutter();
    // The recipe of a final picture asked for now, and of an intermediate
    // frame (the first exposure, a cell of a series).
    virtual Recipe finalRecipe(float zoom);
    virtual Recipe firstRecipe(float zoom);
    // Why the final picture asked for now is taken, for the photo's record
    // ("shutter", or the mode's trigger with the figure that decided: "sound
    // -21.4 dBFS over -38 dBFS"). Read by the controller when it asks for
    // the picture, so it is fixed then, as the recipe is.
    virtual std::string reason() const { return "shutter"; }
    // An intermediate frame made by its recipe, back on the main thread.
    virtual void keepFirstPhoto(const Image& processed);
    // Both steps at once, on the caller's thread.
    void firstPhoto(const Image& image, float zoom) { keepFirstPhoto(firstRecipe(zoom)(image)); }
    Image processPhoto(const Image& image, float zoom) { return finalRecipe(zoom)(image); }
    virtual void reset() {}
    virtual void cancel() {}
    // What the mode holds between pictures that a cancel from outside the
    // window stops (besides a count-down or a sensing watch): a series under
    // way or about to go on, or a first exposure waiting for its second.
    enum class HeldWork { kNone, kSeries, kFirstExposure };
    virtual HeldWork heldWork() const { return HeldWork::kNone; }
    virtual std::optional<std::string> getModeImage() const { return std::nullopt; }
    // Why this mode cannot work on this device, in a few words for the camera
    // screen (and kestrel-cli's reason for taking no picture); none when it can.
    virtual std::optional<std::string> unavailableReason() const { return std::nullopt; }
    // Work of the mode is under way off the main loop (a frame with the face
    // finder), and its result comes back by post: a run on virtual time
    // waits for it before it moves the clock.
    virtual bool workingOffLoop() const { return false; }

    // --- The two waiting mechanisms ---
    void startDelay();
    void stopDelay();
    virtual void endDelay();
    virtual void delaying();
    virtual void startSensing();
    virtual void stopSensing();
    void endSensing();
    void sensing();

    // --- Hooks ---
    // Asks the controller for a final picture.
    virtual void photo();
    virtual int getTimerDelay() const { return 10; }
    virtual double getSensingInterval() const { return 20.0; }
    virtual bool showSensingIndicator() const { return true; }
    virtual bool senseReady(float& level);
    virtual int modification() const;
    bool modifiedImage() const;
    // The date and time for the stamp, or none when the stamp is off.
    std::optional<std::string> timeStamp() const;
    // Date style medium and time style short, in the user's locale.
    static std::string timeStampText(std::chrono::system_clock::time_point when);

    // The moment the picture asked for now is of: the trigger's own event
    // where the mode knows it (the loudest sound), else the moment it
    // decided or the shutter was pressed. Taken once, when the picture is
    // asked for.
    std::optional<RunLoop::Duration> takeEventTime() { return std::exchange(eventTime_, std::nullopt); }

    int state() const { return state_; }
    // The trigger has fired and the picture is asked for on the next turn
    // of the loop.
    bool photoDue() const { return photoDue_; }
    int delayCount() const { return delayCount_; }
    bool autoStart() const { return autoStart_; }
    void setAutoStart(bool autoStart) { autoStart_ = autoStart; }
    bool hasBeep() const { return beepSound_ != nullptr; }

protected:
    // For a mode's own waiting phase between pictures (a series' interval):
    // shown as a count-down's state, so that a press or leaving the camera
    // stops it as it stops a count-down.
    void setState(State state) {
        state_ = state;
        if (controller_) controller_->waitingChanged();
    }
    // The sensing panel's status picture; the empty name removes it.
    void setStatusImage(const std::string& name);
    void trace(const std::string& event) const {
        if (controller_) controller_->trace(event);
    }
    // The trigger's event happened at `time` on the run loop's clock.
    void setEventTime(RunLoop::Duration time) { eventTime_ = time; }

private:
    // Posted calls hold this weakly: a handler replaced before its call runs
    // is not called.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    void postPhoto();

    CameraHandlerHost* controller_ = nullptr;
    std::unique_ptr<Timer> delayTimer_;
    std::unique_ptr<Timer> sensingTimer_;
    std::unique_ptr<SoundFile> beepSound_;
    int state_ = kIdle;
    int delayCount_ = 0;
    bool autoStart_ = false;
    std::optional<RunLoop::Duration> eventTime_;
    bool photoDue_ = false;
    float levelShown_ = -1;
};

// Mode 1: a press takes the picture at once.
class CameraStandardHandler : public CameraHandler {
public:
    std::optional<std::string> getModeImage() const override { return "Mode_Auto.png"; }
};

// The base of the sensor-driven modes: the first press starts the sensor
// loop, a second one stops it; the sensor decides when the picture is taken.
class CameraSensingHandler : public CameraHandler {
public:
    bool shutter() override;
};

}  // namespace kestrel
