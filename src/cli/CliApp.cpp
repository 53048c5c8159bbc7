#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CliError.h"
#include "cli/ExifCommands.h"
#include "cli/ImageCommands.h"
#include "cli/SettingsCommand.h"
#include "cli/DevicesCommand.h"
#include "cli/ShootCommand.h"
#include "cli/StoreCommands.h"
#include "cli/TriggerCommand.h"
#include "core/platform/Log.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <sstream>
#include <string>

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

int CliApp::run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
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
    app.add_option("--config-dir", configDir, "Folder of the preference file")
        ->type_name("DIR")
        ->each([&context](const std::string& dir) { context.configDir = dir; });
    SettingsCommand settings(app, context);
    ImageCommands images(app, context);
    ExifCommands exif(app, context);
    StoreCommands store(app, context);
    ShootCommand shoot(app, context);
    DevicesCommand devices(app, context);
    TriggerCommand trigger(app, context);

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
