#include "support/ProgramCommand.h"

namespace kestrel::test {

const std::vector<std::string>& testEmulator() {
    // Written by tests/CMakeLists.txt: the emulator's words as string literals.
    static const std::vector<std::string> emulator{
#include "support/TestEmulator.inc"
    };
    return emulator;
}

std::vector<std::string> programCommand(std::vector<std::string> command) {
    command.insert(command.begin(), testEmulator().begin(), testEmulator().end());
    return command;
}

}  // namespace kestrel::test
