#include "cli/CameraCommands.h"
#include "cli/CliApp.h"
#include "cli/FileCommands.h"

#include <iostream>

// kestrel-cli-camera: every command of kestrel-cli, those that drive devices
// and the window among them. kestrel-cli runs it in its place.
int main(int argc, char** argv) {
    using namespace kestrel::cli;
    return CliApp::run(argc, argv, std::cout, std::cerr, {&FileCommands::add, &CameraCommands::add});
}
