#pragma once

#include "adapters/gst/CameraFinder.h"
#include "cli/CliContext.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace kestrel::cli {

// kestrel-cli devices: what was found on this machine and what Kestrel uses
// for each device, as the window would choose.
class DevicesCommand {
public:
    DevicesCommand(CLI::App& parent, CliContext& context);

    // The cameras `finder` finds and which one `auto` takes and why, as the
    // "camera" object of --json (looks, and opens the portal's remote).
    static nlohmann::json describeCameras(CameraFinder& finder, bool simulate);
    // The report as one line of JSON; bytes that are not UTF-8 (a device's
    // own name may have them) are replaced, not refused.
    static std::string jsonLine(const nlohmann::json& report);

private:
    void run() const;

    CliContext& context_;
    bool simulate_ = false;
    bool json_ = false;
};

}  // namespace kestrel::cli
