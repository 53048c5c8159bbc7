#pragma once

#include <string>
#include <vector>

namespace kestrel::test {

// The command line that starts one of Kestrel's own programs from a test:
// the program and its arguments as they are, or, in a cross build whose
// tests run emulated (CMAKE_CROSSCOMPILING_EMULATOR), the same after the
// emulator's command, since this machine cannot run the program itself.
std::vector<std::string> programCommand(std::vector<std::string> command);

// The emulator's words alone: none in a native build.
const std::vector<std::string>& testEmulator();

}  // namespace kestrel::test
