#include "core/app/AppSettings.h"

#include "core/platform/PreferenceLocation.h"

namespace kestrel {

AppSettings::AppSettings(const std::optional<std::filesystem::path>& configDir)
    : store_(PreferenceLocation::preferenceFile(configDir)), record_(store_) {}

}  // namespace kestrel
