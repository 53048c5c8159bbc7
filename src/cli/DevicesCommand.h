#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

namespace kestrel::cli {

// kestrel-cli devices: what was found on this machine and what Kestrel uses
// for each device, as the window would choose.
class DevicesCommand {
public:
    DevicesCommand(CLI::App& parent, CliContext& context);

private:
    void run() const;

    CliContext& context_;
    bool simulate_ = false;
    bool json_ = false;
};

}  // namespace kestrel::cli
