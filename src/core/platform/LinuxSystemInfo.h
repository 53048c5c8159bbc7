#pragma once

#include "core/platform/SystemInfo.h"

namespace kestrel {

// The running Linux system: the kernel release as the system version
// ("6.1.0-28-amd64") and the machine hardware name as the identifier
// ("x86_64", "aarch64"), both from uname(2).
class LinuxSystemInfo final : public SystemInfo {
public:
    std::string systemVersion() const override;
    std::string machineIdentifier() const override;
};

}  // namespace kestrel
