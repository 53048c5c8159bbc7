#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kestrel::cli {

// kestrel-cli trigger [--cancel] [--mode N]: the running window's shutter
// from a script, a remote or a watch, through the window's actions on the
// session bus (org.freedesktop.Application at org.kestrelcamera.Kestrel).
// Without options it presses the shutter; --mode N first sets the shooting
// mode; --cancel stops a count-down, sensing or series instead. With no
// window running it says so and exits 1 (it never starts one).
class TriggerCommand {
public:
    TriggerCommand(CLI::App& parent, CliContext& context);

private:
    void run() const;

    CliContext& context_;
    bool cancel_ = false;
    std::optional<int> mode_;
};

}  // namespace kestrel::cli
