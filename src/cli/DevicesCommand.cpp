#include "cli/DevicesCommand.h"

#include "adapters/gst/CameraFinder.h"
#include "core/platform/ManualRunLoop.h"
#include "devices/DeviceChoice.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <iomanip>

namespace kestrel::cli {
namespace {

const char* facingName(CameraSource::Facing facing) {
    switch (facing) {
        case CameraSource::Facing::kBack: return "back";
        case CameraSource::Facing::kFront: return "front";
        case CameraSource::Facing::kUnknown: break;
    }
    return "unknown";
}

}  // namespace

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
    // The cameras, and what the window's --camera auto takes.
    CameraFinder finder;
    finder.find();
    const CameraFinder::Choice camera = finder.chooseAuto();
    const std::string used = simulate_        ? "simulated (--simulate)"
                             : camera.source ? camera.source->name + " by " + camera.source->how
                                             : "simulated";
    if (json_) {
        nlohmann::json out = nlohmann::json::object();
        for (const auto& report : choice.reports())
            out[report.device] = {{"found", report.found}, {"used", report.used}};
        nlohmann::json cameras = nlohmann::json::array();
        for (const auto& found : finder.cameras())
            cameras.push_back({{"name", found.source.name},
                               {"how", found.source.how},
                               {"facing", facingName(found.source.facing)},
                               {"still", found.still},
                               {"preview", found.preview},
                               {"source", found.source.description}});
        out["camera"] = {{"found", cameras}, {"used", used}, {"why", camera.why}};
        if (!finder.portalProblem().empty()) out["camera"]["portal"] = finder.portalProblem();
        *context_.out << out.dump() << '\n';
        return;
    }
    for (const auto& report : choice.reports())
        *context_.out << std::left << std::setw(14) << report.device << "found: " << report.found
                      << "\n"
                      << std::setw(14) << ""
                      << "used:  " << report.used << "\n";
    *context_.out << std::setw(14) << "camera"
                  << "found: " << (finder.cameras().empty() ? "none" : "") << "\n";
    for (const auto& found : finder.cameras())
        *context_.out << std::setw(16) << "" << found.source.name << " (" << found.source.how
                      << ", facing " << facingName(found.source.facing) << "): still "
                      << found.still << ", live view " << found.preview << "\n";
    if (!finder.portalProblem().empty())
        *context_.out << std::setw(14) << "" << "portal: " << finder.portalProblem() << "\n";
    *context_.out << std::setw(14) << "" << "used:  " << used << " (auto: " << camera.why
                  << ")\n";
}

}  // namespace kestrel::cli
