#pragma once

#include <stdexcept>
#include <string>

namespace kestrel::cli {

// A command that cannot be carried out. The message is printed as one line on
// stderr and the process exits with `exitCode`: kUsage for bad usage or a bad
// value, kFailure for a failure while running.
class CliError : public std::runtime_error {
public:
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    CliError(int exitCode, const std::string& message)
        : std::runtime_error(message), exitCode_(exitCode) {}

    static CliError usage(const std::string& message) { return {kUsage, message}; }
    static CliError failure(const std::string& message) { return {kFailure, message}; }

    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

}  // namespace kestrel::cli
