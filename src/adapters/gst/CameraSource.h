#pragma once

#include <string>

namespace kestrel {

// One camera as a GStreamer source: the description the pipeline starts
// with, how it was found, where it faces, and a name for people.
struct CameraSource {
    enum class Facing { kUnknown, kBack, kFront };

    std::string description;  // e.g. "v4l2src device=/dev/video0"
    std::string how;          // portal, pipewire, libcamera, v4l2 or gst
    std::string name;         // what the device calls itself, or the description
    Facing facing = Facing::kUnknown;
    int pipewireFd = -1;      // the portal's PipeWire remote (owned by the finder), or -1
    // The clockwise quarter turns that make its frames upright, as the system
    // reports the sensor's mounting (a phone's sensor control), or -1 when it
    // says nothing; the stream's own orientation tag, when it has one, wins.
    int rotation = -1;

    // A camera at the back faces the scene; a front one, and one outside or
    // nowhere known (a webcam), faces its user.
    bool facesUser() const { return facing != Facing::kBack; }
};

}  // namespace kestrel
