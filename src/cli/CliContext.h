#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

namespace kestrel::cli {

// What every command gets: the global options and the output streams.
struct CliContext {
    std::optional<std::filesystem::path> configDir;  // --config-dir
    std::ostream* out = nullptr;                     // JSON and results
    std::ostream* err = nullptr;                     // diagnostics
};

}  // namespace kestrel::cli
