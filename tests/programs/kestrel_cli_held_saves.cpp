// kestrel-cli with a slow disk: `kestrel-cli-held-saves SECONDS ARGS...`
// runs every command as `kestrel-cli ARGS...` does, each photo save held
// SECONDS first.
#include "cli/CameraCommands.h"
#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/FileCommands.h"
#include "programs/HeldSaves.h"

#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    using namespace kestrel::cli;
    const auto hold = kestrel::test::holdArgument(argc, argv);
    std::vector<char*> arguments{argv[0]};
    for (int i = 2; i < argc; ++i) arguments.push_back(argv[i]);
    const auto heldCameraCommands = [hold](CLI::App& app, CliContext& context) {
        context.saveGate = kestrel::test::heldSaves(hold);
        return CameraCommands::add(app, context);
    };
    return CliApp::run(static_cast<int>(arguments.size()), arguments.data(), std::cout, std::cerr,
                       {&FileCommands::add, heldCameraCommands});
}
