#pragma once

#include "core/platform/WorkerQueue.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace kestrel::cli {

// What every command gets: the global options and the output streams.
struct CliContext {
    std::optional<std::filesystem::path> configDir;  // --config-dir
    std::ostream* out = nullptr;                     // JSON and results
    std::ostream* err = nullptr;                     // diagnostics
    // Holds every photo save before it runs (none: at once); a test
    // program's slow disk, for quitting mid-save.
    WorkerQueue::Gate saveGate;
    // Where the IIO devices' sysfs tree lies (empty: the system's); a test's
    // made-up accelerometer.
    std::string iioRoot;
};

}  // namespace kestrel::cli
