#pragma once

#include "cli/DevicesCommand.h"
#include "cli/ShootCommand.h"
#include "cli/TriggerCommand.h"

#include <memory>

namespace kestrel::cli {

struct CliContext;

// The commands that drive devices and the running window: shoot, devices,
// trigger. They need GStreamer, Qt's D-Bus and the sensors, which live in the
// program kestrel-cli hands them to (CameraProgram).
class CameraCommands {
public:
    CameraCommands(CLI::App& app, CliContext& context)
        : shoot_(app, context), devices_(app, context), trigger_(app, context) {}
    static std::shared_ptr<void> add(CLI::App& app, CliContext& context) {
        return std::make_shared<CameraCommands>(app, context);
    }

private:
    ShootCommand shoot_;
    DevicesCommand devices_;
    TriggerCommand trigger_;
};

}  // namespace kestrel::cli
