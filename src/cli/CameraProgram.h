#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace kestrel::cli {

// kestrel-cli-camera: the whole of kestrel-cli, the commands that drive
// devices and the window among them, with the libraries they load
// (GStreamer, Qt's D-Bus, the sensors'). kestrel-cli hands it every command
// it does not hold itself, and the help of them all.
class CameraProgram {
public:
    static constexpr const char* kName = "kestrel-cli-camera";

    // Beside the running program (the build tree), else in ../libexec (an
    // installation); none when neither holds it.
    static std::optional<std::string> find();
    // Runs it in this process's place with the same arguments. Answers only
    // when it cannot, having said why on `err`.
    static int exec(int argc, const char* const* argv, std::ostream& err);
};

}  // namespace kestrel::cli
