#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace kestrel::cli {

// kestrel-cli store save|list: a DCIM photo store of Kestrel's own;
// kestrel-cli album save: the device camera roll, the platform's way.
class StoreCommands {
public:
    StoreCommands(CLI::App& parent, CliContext& context);

private:
    void save() const;
    void list() const;
    void albumSave() const;

    CliContext& context_;
    std::string root_;
    std::string image_;
    std::optional<double> latitude_;
    std::optional<double> longitude_;
    bool json_ = false;
    std::string dcim_;
};

}  // namespace kestrel::cli
