#pragma once

#include "cli/ExifCommands.h"
#include "cli/ImageCommands.h"
#include "cli/SettingsCommand.h"
#include "cli/StoreCommands.h"

#include <memory>

namespace kestrel::cli {

struct CliContext;

// The commands on files: settings, pictures, EXIF tags, the photo store.
// Everything they use loads with kestrel-cli itself (no camera, display or
// bus library), so scripts that run them on thousands of files start fast.
class FileCommands {
public:
    FileCommands(CLI::App& app, CliContext& context)
        : settings_(app, context), images_(app, context), exif_(app, context), store_(app, context) {}
    static std::shared_ptr<void> add(CLI::App& app, CliContext& context) {
        return std::make_shared<FileCommands>(app, context);
    }

private:
    SettingsCommand settings_;
    ImageCommands images_;
    ExifCommands exif_;
    StoreCommands store_;
};

}  // namespace kestrel::cli
