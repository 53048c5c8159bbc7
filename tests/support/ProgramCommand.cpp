#include "support/ProgramCommand.h"

#include "support/TestPaths.h"

namespace kestrel::test {

const std::vector<std::string>& testEmulator() { return testPaths().emulator; }

std::vector<std::string> programCommand(std::vector<std::string> command) {
    command.insert(command.begin(), testEmulator().begin(), testEmulator().end());
    return command;
}

}  // namespace kestrel::test
