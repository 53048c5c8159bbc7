#pragma once

#include <string>

namespace kestrel {

// What the platform says about itself: the system version string and the
// machine identifier.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual std::string systemVersion() const = 0;
    virtual std::string machineIdentifier() const = 0;
};

}  // namespace kestrel
