#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kestrel::cli {

struct CliContext;

// kestrel-cli: parses the command line, runs the command, and answers the
// exit status. JSON and results go to `out`; diagnostics and the one-line
// error of a failed command go to `err`.
//
// The commands come in groups, each adding its subcommands to the parser
// (FileCommands, CameraCommands): a program holds only the groups it links,
// so the commands on files load no camera, display or bus library.
class CliApp {
public:
    // Adds a group's subcommands; what it answers lives until the command ran.
    using Commands = std::function<std::shared_ptr<void>(CLI::App&, CliContext&)>;
    // Asked for a subcommand no group added, or for the help of them all:
    // answers the exit status (another program that has them runs in this
    // process's place).
    using Elsewhere = std::function<int(int argc, const char* const* argv, std::ostream& err)>;

    static int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   const std::vector<Commands>& groups, const Elsewhere& elsewhere = {});

    // The subcommand the arguments name, after kestrel-cli's own options;
    // empty when they name none.
    static std::string subcommandOf(int argc, const char* const* argv);
    // Whether the arguments ask for the help of every subcommand.
    static bool asksForHelp(int argc, const char* const* argv);
};

}  // namespace kestrel::cli
