#pragma once

#include "core/platform/SystemInfo.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Device and system information as the rest of Kestrel uses it: the system
// version (as text and as a number compared with 300 and 400) and the
// machine identifier with its device name.
class SystemUtils {
public:
    explicit SystemUtils(const SystemInfo& info) : info_(&info) {}

    std::string version() const { return info_->systemVersion(); }
    int versionNumber() const { return versionNumberOf(version()); }
    std::string model() const { return info_->machineIdentifier(); }
    std::optional<std::string> modelName() const { return platformString(model()); }

    // The running platform: the system version is kPlatformVersion, the
    // machine identifier Linux's own. Whatever follows an older generation is
    // given a SystemUtils of its own (KestrelApp::Options::system).
    static const SystemUtils& current();
    // Kestrel's platform generation: every version threshold passed.
    static constexpr const char* kPlatformVersion = "4.2";

    // The version text read as a single-precision number, times 100 in single
    // precision, truncated toward zero: "3.1.3" -> 310, "4.2" -> 419. Text
    // that does not start with a number gives 0.
    static int versionNumberOf(std::string_view version);
    // The device name of a machine identifier, or none for one not in the table.
    static std::optional<std::string> platformString(std::string_view machine);

private:
    const SystemInfo* info_;
};

}  // namespace kestrel
