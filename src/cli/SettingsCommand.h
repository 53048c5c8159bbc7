#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <string>

namespace kestrel::cli {

// kestrel-cli settings show|set|effective|rules: the settings record as the
// application loads and saves it.
class SettingsCommand {
public:
    SettingsCommand(CLI::App& parent, CliContext& context);

private:
    void show() const;
    void set() const;
    void effective() const;
    void rules() const;

    CliContext& context_;
    bool json_ = false;
    std::string key_;
    std::string value_;
    int mode_ = 0;
    int variant_ = 0;
};

}  // namespace kestrel::cli
