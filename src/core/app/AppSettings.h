#pragma once

#include "core/platform/PlistPreferenceStore.h"
#include "core/settings/Camera1Data.h"

#include <filesystem>
#include <optional>

namespace kestrel {

// The settings part of the object graph, built as start-up builds it: the
// preference store at its location, then the settings record, which loads
// itself (or takes the first-start defaults) and becomes the process-wide
// record. The GUI and kestrel-cli both start from here.
class AppSettings {
public:
    explicit AppSettings(const std::optional<std::filesystem::path>& configDir = std::nullopt);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    PlistPreferenceStore& store() { return store_; }
    Camera1Data& record() { return record_; }

private:
    PlistPreferenceStore store_;
    Camera1Data record_;
};

}  // namespace kestrel
