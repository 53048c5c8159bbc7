#include "adapters/gst/CameraSpec.h"

namespace kestrel {
namespace {

// A property value for a description: quoted, with its quotes and backslashes escaped.
std::string quoted(const std::string& value) {
    std::string text = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') text += '\\';
        text += c;
    }
    return text + "\"";
}

}  // namespace

std::optional<CameraSpec> CameraSpec::parse(const std::string& text, std::string* error) {
    const auto colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : text.substr(colon + 1);
    auto fail = [&](const std::string& why) -> std::optional<CameraSpec> {
        if (error) *error = why;
        return std::nullopt;
    };
    if ((kind == "auto" || kind == "sim") && colon != std::string::npos)
        return fail(kind + " takes nothing after it");
    if (kind == "auto") return CameraSpec{Kind::kAuto, ""};
    if (kind == "sim") return CameraSpec{Kind::kSim, ""};
    if (kind == "pipewire") return CameraSpec{Kind::kPipewire, argument};
    if (kind == "libcamera") return CameraSpec{Kind::kLibcamera, argument};
    if (kind == "v4l2") {
        if (colon != std::string::npos && !argument.starts_with("/dev/"))
            return fail("v4l2 takes a device such as /dev/video0, not \"" + argument + "\"");
        return CameraSpec{Kind::kV4l2, argument};
    }
    if (kind == "gst") {
        if (argument.find_first_not_of(" \t") == std::string::npos)
            return fail("gst takes a GStreamer source description, e.g. gst:videotestsrc");
        return CameraSpec{Kind::kGst, argument};
    }
    return fail("\"" + text +
                "\" is not auto, sim, pipewire[:NODE], libcamera[:NAME], v4l2:/dev/videoN nor "
                "gst:DESCRIPTION");
}

std::string CameraSpec::description() const {
    switch (kind) {
        case Kind::kPipewire:
            // PipeWire lends its frames and takes them back when the stream's
            // buffers change, even while one still waits in the still branch
            // (0.3.65's converter then read freed memory): each frame is copied.
            return "pipewiresrc client-name=Kestrel always-copy=true" +
                   (argument.empty() ? "" : " target-object=" + quoted(argument));
        case Kind::kLibcamera:
            return "libcamerasrc" + (argument.empty() ? "" : " camera-name=" + quoted(argument));
        case Kind::kV4l2:
            // Many webcams give their largest sizes only as JPEG: the size is
            // chosen before the decoder, which passes raw frames through.
            return "v4l2src" + (argument.empty() ? "" : " device=" + quoted(argument)) +
                   " ! capsfilter name=kestrel_source_format ! decodebin";
        case Kind::kGst:
            return argument;
        case Kind::kAuto:
        case Kind::kSim:
            break;
    }
    return "";
}

std::string CameraSpec::how() const {
    switch (kind) {
        case Kind::kAuto: return "auto";
        case Kind::kSim: return "sim";
        case Kind::kPipewire: return "pipewire";
        case Kind::kLibcamera: return "libcamera";
        case Kind::kV4l2: return "v4l2";
        case Kind::kGst: return "gst";
    }
    return "";
}

}  // namespace kestrel
