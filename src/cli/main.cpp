#include "cli/CameraProgram.h"
#include "cli/CliApp.h"
#include "cli/FileCommands.h"

#include <iostream>

// kestrel-cli: the commands on files run here; the others, and the help of
// them all, in kestrel-cli-camera.
int main(int argc, char** argv) {
    using namespace kestrel::cli;
    return CliApp::run(argc, argv, std::cout, std::cerr, {&FileCommands::add}, &CameraProgram::exec);
}
