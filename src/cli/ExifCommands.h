#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kestrel::cli {

// kestrel-cli exif stamp|read|dump: Kestrel's EXIF tags on JPEG files.
class ExifCommands {
public:
    ExifCommands(CLI::App& parent, CliContext& context);

private:
    void stamp() const;
    void read() const;
    void dump() const;

    CliContext& context_;
    std::string file_;
    std::optional<double> latitude_;
    std::optional<double> longitude_;
    std::string time_;
    bool secondsForm_ = false;
    std::string make_;
    std::string model_;
};

}  // namespace kestrel::cli
