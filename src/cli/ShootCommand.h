#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kestrel::cli {

// kestrel-cli shoot: the application's object graph without a window, on the
// simulated devices, pressing the shutter whenever the camera is live and the
// mode handler idle, until N pictures are saved.
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
    std::string accel_ = "steady";
    double maxTime_ = 600;
    bool virtualTime_ = false;
};

}  // namespace kestrel::cli
