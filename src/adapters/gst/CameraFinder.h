#pragma once

#include "adapters/gst/CameraSource.h"
#include "adapters/gst/SensorRotation.h"
#include "core/platform/RunLoop.h"

#include <functional>
#include <map>
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

    // One device as a GStreamer device provider reports it, in plain values.
    struct Sighting {
        std::string provider;  // pipewire, libcamera or v4l2
        std::string name;      // its display name
        // The provider's properties as text (object.serial, api.v4l2.path,
        // device.path, ...); a libcamera device's camera-name among them.
        std::map<std::string, std::string> properties;
        std::string caps;  // the formats it offers, as GStreamer caps text
    };
    // Where the sightings come from. Empty: GStreamer's device monitor, and
    // watch() follows it; otherwise the given survey, and nothing is watched.
    using Survey = std::function<std::vector<Sighting>()>;

    // `portalBus` empty: the session bus.
    explicit CameraFinder(std::string portalBus = "", Survey survey = {});
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
    // From any thread: a wait on the portal in chooseAuto() ends at once,
    // and the portal is not asked again (the program is going).
    void cancel();

    // Where a camera's sensor mounting is read (tests give a tree of their own).
    void setSensorRotation(SensorRotation rotation) { sensors_ = std::move(rotation); }

    // Calls `changed` on the loop when a camera appears or goes away, until
    // this object is gone.
    void watch(RunLoop& loop, std::function<void()> changed);

private:
    // What GStreamer's device providers see now (blocking).
    static std::vector<Sighting> surveyDevices();
    void add(Camera camera, std::vector<std::string> keys);

    std::unique_ptr<CameraPortal> portal_;
    Survey survey_;
    SensorRotation sensors_;
    bool portalPresent_ = false;
    std::string portalProblem_;
    std::vector<Camera> cameras_;
    std::vector<std::vector<std::string>> keys_;  // what identifies each of cameras_
    // The providers and names each of cameras_ was seen by.
    std::vector<std::vector<std::pair<std::string, std::string>>> seenAs_;
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

}  // namespace kestrel
