#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kestrel::cli {

// kestrel-cli shoot: the application's object graph without a window, on the
// simulated devices, pressing the shutter whenever the camera is live and the
// mode handler idle (a mode that re-arms itself is left to run), until N
// pictures are saved. A contact sheet or a merged pair counts as one.
class ShootCommand {
public:
    ShootCommand(CLI::App& parent, CliContext& context);

private:
    void run() const;

    CliContext& context_;
    int count_ = 1;
    std::optional<int> mode_;
    std::string dcim_;
    std::string store_;
    std::string location_;
    std::string nmea_;
    std::string accel_ = "steady";
    std::string mic_ = "quiet";
    std::string scene_ = "still";
    std::string camera_ = "sim";
    std::optional<int> cameraRotation_;
    bool trace_ = false;
    double maxTime_ = 600;
    bool virtualTime_ = false;
    std::optional<std::string> startTime_;  // the virtual day's start, local ISO 8601; none: now
};

}  // namespace kestrel::cli
