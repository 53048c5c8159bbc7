#pragma once

#include "adapters/gst/CameraSource.h"
#include "core/platform/RunLoop.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CameraPortal;

// The cameras on this machine, found through GStreamer's device providers
// (PipeWire, libcamera, V4L2) and the camera portal; each camera once,
// whichever ways it was found, by the first of portal, pipewire, libcamera,
// v4l2. Also says which one `auto` takes and why, and watches for cameras
// that come and go.
class CameraFinder {
public:
    struct Camera {
        CameraSource source;
        std::string still;    // the largest size offered, e.g. "3264x2448 (image/jpeg, 15 fps)"
        std::string preview;  // the largest size offered at a live frame rate
    };
    struct Choice {
        std::optional<CameraSource> source;  // none: the simulated camera
        std::string why;
    };

    // `portalBus` empty: the session bus.
    explicit CameraFinder(std::string portalBus = "");
    ~CameraFinder();
    CameraFinder(const CameraFinder&) = delete;
    CameraFinder& operator=(const CameraFinder&) = delete;

    // Looks again (blocking, about a second at most).
    void find();
    const std::vector<Camera>& cameras() const { return cameras_; }
    // Why the portal was not used, if it was not.
    const std::string& portalProblem() const { return portalProblem_; }
    // auto: the portal in a sandbox or when it answers; else PipeWire; else
    // libcamera; else V4L2; else the simulated camera. Opens the portal's remote.
    Choice chooseAuto();

    // Calls `changed` on the loop when a camera appears or goes away, until
    // this object is gone.
    void watch(RunLoop& loop, std::function<void()> changed);

private:
    void add(Camera camera, const std::vector<std::string>& keys);

    std::unique_ptr<CameraPortal> portal_;
    bool portalPresent_ = false;
    std::string portalProblem_;
    std::vector<Camera> cameras_;
    std::vector<std::vector<std::string>> keys_;  // what identifies each of cameras_
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

}  // namespace kestrel
