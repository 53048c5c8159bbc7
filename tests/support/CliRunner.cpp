#include "support/CliRunner.h"

#include "cli/CameraCommands.h"
#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/FileCommands.h"

#include <sstream>

namespace kestrel::test {

CliResult runCli(std::vector<std::string> args) { return runCli(std::move(args), {}); }

CliResult runCli(std::vector<std::string> args, const std::function<void(cli::CliContext&)>& prepare) {
    args.insert(args.begin(), "kestrel-cli");
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    const auto prepared = [&prepare](CLI::App& app, cli::CliContext& context) {
        if (prepare) prepare(context);
        return cli::FileCommands::add(app, context);
    };
    result.status = cli::CliApp::run(static_cast<int>(argv.size()), argv.data(), out, err,
                                     {prepared, &cli::CameraCommands::add});
    result.out = out.str();
    result.err = err.str();
    return result;
}

}  // namespace kestrel::test
