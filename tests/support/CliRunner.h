#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrel::cli {
struct CliContext;
}

namespace kestrel::test {

// Runs kestrel-cli in-process: exit status, stdout and stderr.
struct CliResult {
    int status = 0;
    std::string out;
    std::string err;
};

CliResult runCli(std::vector<std::string> args);
// The same with what the program's own main() would not set, in the context
// its commands get (a made-up device tree, a slow disk).
CliResult runCli(std::vector<std::string> args, const std::function<void(cli::CliContext&)>& prepare);

}  // namespace kestrel::test
