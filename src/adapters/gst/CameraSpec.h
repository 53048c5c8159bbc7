#pragma once

#include <optional>
#include <string>

namespace kestrel {

// Which camera to use, as written after --camera: auto (Kestrel chooses),
// sim (the simulated camera), pipewire[:NODE], libcamera[:NAME],
// v4l2[:/dev/videoN] or gst:DESCRIPTION (any GStreamer source description).
struct CameraSpec {
    enum class Kind { kAuto, kSim, kPipewire, kLibcamera, kV4l2, kGst };

    Kind kind = Kind::kAuto;
    std::string argument;  // the node, camera name, device or description; may be empty

    // None for text that names no source, with the reason in `error`.
    static std::optional<CameraSpec> parse(const std::string& text, std::string* error = nullptr);
    // The GStreamer source description (not for auto and sim).
    std::string description() const;
    // How it was found, as `kestrel-cli devices` says it.
    std::string how() const;
};

}  // namespace kestrel
