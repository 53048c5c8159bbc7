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
};

}  // namespace kestrel
