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

namespace kestrel {

// The camera the programs use, from --camera: a GStreamer source (chosen by
// `auto` or named), or the simulated camera. With `auto` and no camera, the
// simulated one serves until a camera is plugged in, which then takes over.
// A named source that cannot start is kept, showing "No camera found", and
// `failure` says why.
class CameraChoice {
public:
    struct Options {
        CameraSpec spec;
        bool simulate = false;  // --simulate: the simulated camera whatever --camera names
        std::function<int()> heldAs;
        SimulatedCamera::Scene scene = SimulatedCamera::Scene::kStill;
        std::string portalBus;  // empty: the session bus
        // --camera-rotation: the camera's mounting, for one that reports it
        // wrongly (clockwise, 0, 90, 180 or 270); none: as the system reports.
        std::optional<int> mountRotation;
    };

    // `survey`: where `auto` looks for cameras (empty: GStreamer's device monitor).
    CameraChoice(RunLoop& loop, Options options, CameraFinder::Survey survey = {});

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

private:
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
};

}  // namespace kestrel
