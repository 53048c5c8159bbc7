#include "cli/DevicesCommand.h"

#include "core/platform/ManualRunLoop.h"
#include "devices/DeviceChoice.h"

#include <nlohmann/json.hpp>

#include <algorithm>
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

nlohmann::json DevicesCommand::describeCameras(CameraFinder& finder, bool simulate) {
    finder.find();
    const CameraFinder::Choice choice = finder.chooseAuto();
    nlohmann::json cameras = nlohmann::json::array();
    for (const auto& found : finder.cameras())
        cameras.push_back({{"name", found.source.name},
                           {"how", found.source.how},
                           {"facing", facingName(found.source.facing)},
                           // The clockwise turn its frames need, as the system reports the
                           // mounting (0: nothing says), and whether its live view is mirrored.
                           {"mounted", std::max(0, found.source.rotation)},
                           {"mirrored", found.source.facesUser()},
                           {"still", found.still},
                           {"preview", found.preview},
                           {"source", found.source.description}});
    nlohmann::json out = {
        {"found", cameras},
        {"used", simulate        ? "simulated (--simulate)"
                 : choice.source ? choice.source->name + " by " + choice.source->how
                                 : "simulated"},
        {"why", choice.why}};
    // What auto starts, the portal's remote included.
    if (choice.source) out["source"] = choice.source->description;
    if (!finder.portalProblem().empty()) out["portal"] = finder.portalProblem();
    return out;
}

std::string DevicesCommand::jsonLine(const nlohmann::json& report) {
    return report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void DevicesCommand::run() const {
    ManualRunLoop loop;
    DeviceChoice::Options options;
    options.simulate = simulate_;
    if (!context_.iioRoot.empty()) options.iioRoot = context_.iioRoot;
    const DeviceChoice choice(loop, options);
    // The cameras, and what the window's --camera auto takes.
    CameraFinder finder;
    const nlohmann::json camera = describeCameras(finder, simulate_);
    if (json_) {
        nlohmann::json out = nlohmann::json::object();
        for (const auto& report : choice.reports())
            out[report.device] = {{"found", report.found}, {"used", report.used}};
        out["camera"] = camera;
        *context_.out << jsonLine(out) << '\n';
        return;
    }
    for (const auto& report : choice.reports())
        *context_.out << std::left << std::setw(14) << report.device << "found: " << report.found
                      << "\n"
                      << std::setw(14) << ""
                      << "used:  " << report.used << "\n";
    *context_.out << std::setw(14) << "camera"
                  << "found: " << (camera["found"].empty() ? "none" : "") << "\n";
    for (const auto& found : camera["found"])
        *context_.out << std::setw(16) << "" << found["name"].get<std::string>() << " ("
                      << found["how"].get<std::string>() << ", facing "
                      << found["facing"].get<std::string>() << ", mounted at "
                      << found["mounted"].get<int>() << "°"
                      << (found["mirrored"].get<bool>() ? ", live view mirrored" : "") << "): still "
                      << found["still"].get<std::string>() << ", live view "
                      << found["preview"].get<std::string>() << "\n";
    if (camera.contains("portal"))
        *context_.out << std::setw(14) << "" << "portal: " << camera["portal"].get<std::string>()
                      << "\n";
    *context_.out << std::setw(14) << "" << "used:  " << camera["used"].get<std::string>()
                  << " (auto: " << camera["why"].get<std::string>() << ")\n";
}

}  // namespace kestrel::cli
