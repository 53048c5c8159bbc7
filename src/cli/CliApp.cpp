#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CliError.h"
#include "core/platform/Log.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::cli {
namespace {

// Sends Kestrel's log to the command's error stream while it runs.
class LogToStream {
public:
    explicit LogToStream(std::ostream& err)
        : previous_(Log::setSink([&err](Log::Level level, std::string_view message) {
              err << "kestrel-cli: " << Log::levelName(level) << ": " << message << '\n';
          })) {}
    ~LogToStream() { Log::setSink(std::move(previous_)); }
    LogToStream(const LogToStream&) = delete;
    LogToStream& operator=(const LogToStream&) = delete;

private:
    Log::Sink previous_;
};

// CLI11's messages can span lines; ours are one line.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

std::string CliApp::subcommandOf(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config-dir") {
            ++i;  // its value
            continue;
        }
        if (arg == "--") return i + 1 < argc ? argv[i + 1] : "";
        if (!arg.empty() && arg[0] == '-') continue;
        return arg;
    }
    return "";
}

bool CliApp::asksForHelp(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--help-all") return true;
    }
    return false;
}

int CliApp::run(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                const std::vector<Commands>& groups, const Elsewhere& elsewhere) {
    LogToStream logging(err);
    CliContext context;
    context.out = &out;
    context.err = &err;

    CLI::App app("Kestrel, a still camera with a smart shutter, driven headlessly", "kestrel-cli");
    app.fallthrough();
    app.require_subcommand(1);
    app.set_version_flag("--version", "kestrel-cli " KESTREL_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every subcommand and exit");
    std::string configDir;
    app.add_option("--config-dir", configDir,
                   "Folder of the preference file (default: $KESTREL_CONFIG_DIR, $XDG_CONFIG_HOME/kestrel)")
        ->type_name("DIR")
        ->each([&context](const std::string& dir) { context.configDir = dir; });
    std::vector<std::shared_ptr<void>> commands;
    for (const Commands& group : groups) commands.push_back(group(app, context));
    if (elsewhere) {
        // The help of a command elsewhere, or of all: the program that has them all tells.
        const std::string name = subcommandOf(argc, argv);
        const bool ours =
            !name.empty() &&
            !std::as_const(app).get_subcommands([&](const CLI::App* command) { return command->check_name(name); }).empty();
        if (!ours && (!name.empty() || asksForHelp(argc, argv))) return elsewhere(argc, argv, err);
    }

    try {
        app.parse(argc, argv);
        return 0;
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "kestrel-cli: " << oneLine(e.what()) << '\n';
        return CliError::kUsage;
    } catch (const CliError& e) {
        err << "kestrel-cli: " << oneLine(e.what()) << '\n';
        return e.exitCode();
    } catch (const std::exception& e) {
        err << "kestrel-cli: " << oneLine(e.what()) << '\n';
        return CliError::kFailure;
    }
}

}  // namespace kestrel::cli
