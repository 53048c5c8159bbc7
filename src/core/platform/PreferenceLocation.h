#pragma once

#include <filesystem>
#include <optional>

namespace kestrel {

// Where the preference file lives: the folder given on the command line, else
// $KESTREL_CONFIG_DIR, else $XDG_CONFIG_HOME/kestrel, else ~/.config/kestrel.
class PreferenceLocation {
public:
    static constexpr const char* kFileName = "preferences.plist";

    static std::filesystem::path configDirectory(
        const std::optional<std::filesystem::path>& commandLineFolder = std::nullopt);
    static std::filesystem::path preferenceFile(
        const std::optional<std::filesystem::path>& commandLineFolder = std::nullopt);
};

}  // namespace kestrel
