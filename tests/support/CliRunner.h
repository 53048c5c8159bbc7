#pragma once

#include <string>
#include <vector>

namespace kestrel::test {

// Runs kestrel-cli in-process: exit status, stdout and stderr.
struct CliResult {
    int status = 0;
    std::string out;
    std::string err;
};

CliResult runCli(std::vector<std::string> args);

}  // namespace kestrel::test
