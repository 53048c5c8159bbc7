#include "cli/DevicesCommand.h"

#include "core/platform/ManualRunLoop.h"
#include "devices/DeviceChoice.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <iomanip>

namespace kestrel::cli {

DevicesCommand::DevicesCommand(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* devices =
        parent.add_subcommand("devices", "What was found, and what Kestrel uses for each device");
    devices->add_flag("--simulate", simulate_, "As with the window's --simulate");
    devices->add_flag("--json", json_, "One JSON object");
    devices->callback([this] { run(); });
}

void DevicesCommand::run() const {
    ManualRunLoop loop;
    DeviceChoice::Options options;
    options.simulate = simulate_;
    if (const char* root = std::getenv("KESTREL_IIO_ROOT"); root && *root) options.iioRoot = root;
    const DeviceChoice choice(loop, options);
    if (json_) {
        nlohmann::json out = nlohmann::json::object();
        for (const auto& report : choice.reports())
            out[report.device] = {{"found", report.found}, {"used", report.used}};
        *context_.out << out.dump() << '\n';
        return;
    }
    for (const auto& report : choice.reports())
        *context_.out << std::left << std::setw(14) << report.device << "found: " << report.found
                      << "\n"
                      << std::setw(14) << ""
                      << "used:  " << report.used << "\n";
}

}  // namespace kestrel::cli
