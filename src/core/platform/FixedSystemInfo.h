#pragma once

#include "core/platform/SystemInfo.h"

#include <utility>

namespace kestrel {

// A system that says what it is told: simulated devices and reproducible runs.
class FixedSystemInfo final : public SystemInfo {
public:
    FixedSystemInfo(std::string version, std::string machine)
        : version_(std::move(version)), machine_(std::move(machine)) {}

    std::string systemVersion() const override { return version_; }
    std::string machineIdentifier() const override { return machine_; }

private:
    std::string version_;
    std::string machine_;
};

}  // namespace kestrel
