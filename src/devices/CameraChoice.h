#pragma once

#include "adapters/gst/CameraFinder.h"
#include "adapters/gst/CameraSpec.h"
#include "adapters/gst/GstCameraPicker.h"
#include "core/platform/RunLoop.h"
#include "devices/FallbackCameraPicker.h"
#include "sim/SimulatedCamera.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kestrel {

// The camera the programs use, from --camera: a GStreamer source (chosen by
// `auto` or named), or the simulated camera. With `auto` and no camera, the
// simulated one serves until a camera is plugged in, which then takes over.
// A named source that cannot start is kept, showing "No camera found", and
// `failure` says why.
//
// Started in the background (the window), nothing here waits on the loop's
// thread: the cameras are looked for and the desktop's portal is asked (the
// user may take a minute to allow it) on a thread of its own, the camera
// starts without waiting for its first frame, and the screen says the
// camera is starting meanwhile. The settled observer says when the camera
// chosen at launch runs or has failed, and `report` and `failure` are final
// from then on. Otherwise (kestrel-cli) all of it happens in the constructor.
class CameraChoice {
public:
    struct Options {
        CameraSpec spec;
        bool simulate = false;  // --simulate: the simulated camera whatever --camera names
        std::function<int()> heldAs;
        SimulatedCamera::Scene scene = SimulatedCamera::Scene::kStill;
        Image scenePicture;  // a photograph the simulated camera sees; none: its drawn scene
        std::string portalBus;  // empty: the session bus
        // --camera-rotation: the camera's mounting, for one that reports it
        // wrongly (clockwise, 0, 90, 180 or 270); none: as the system reports.
        std::optional<int> mountRotation;
        bool startInBackground = false;
    };

    // `survey`: where `auto` looks for cameras (empty: GStreamer's device monitor).
    CameraChoice(RunLoop& loop, Options options, CameraFinder::Survey survey = {});
    // Ends a look still on its way (a wait on the portal at once) and waits for its thread.
    ~CameraChoice();
    CameraChoice(const CameraChoice&) = delete;
    CameraChoice& operator=(const CameraChoice&) = delete;

    CameraPicker& camera() { return *camera_; }
    // The real camera, if a GStreamer source was chosen (or is being watched for).
    GstCameraPicker* real() { return real_.get(); }
    bool usesRealCamera() const;
    // What is used and why, in one line.
    const std::string& report() const { return report_; }
    // Why the chosen source does not run ("" when it runs or is simulated).
    const std::string& failure() const { return failure_; }
    // Told on the loop when the camera comes, goes or switches to a real one.
    void setChangeObserver(std::function<void()> observer) { changed_ = std::move(observer); }
    // Told once on the loop, started in the background, when the launch's
    // camera runs or has failed (never, when it was settled in the constructor).
    void setSettledObserver(std::function<void()> observer) { settled_ = std::move(observer); }
    // The launch's camera runs or has failed.
    bool isSettled() const { return !launching_; }

private:
    void startInBackground(const Options& options, CameraFinder::Survey survey);
    // find() and chooseAuto() on the chooser's thread; `then` on the loop with the choice.
    void chooseInBackground(std::function<void(CameraFinder::Choice)> then);
    void cameraChanged();
    void settle();
    void lookAgain();

    RunLoop* loop_;
    SimulatedCamera simulated_;
    std::unique_ptr<CameraFinder> finder_;
    std::unique_ptr<GstCameraPicker> real_;
    std::unique_ptr<FallbackCameraPicker> fallback_;
    CameraPicker* camera_ = nullptr;
    std::string report_;
    std::string failure_;
    std::function<void()> changed_;
    std::function<void()> settled_;
    bool background_ = false;   // Options::startInBackground
    bool launching_ = false;    // started in the background, not settled yet
    std::string launchSource_;  // the name of the source started at launch, if one was
    bool choosing_ = false;     // the chooser's thread runs (read on the loop only)
    std::thread chooser_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for what is posted to the loop
};

}  // namespace kestrel
