#include "core/platform/PreferenceLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kestrel {
namespace {

std::optional<std::filesystem::path> environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}

std::filesystem::path homeFolder() {
    if (auto home = environmentPath("HOME")) return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

}  // namespace

std::filesystem::path PreferenceLocation::configDirectory(
    const std::optional<std::filesystem::path>& commandLineFolder) {
    if (commandLineFolder && !commandLineFolder->empty()) return *commandLineFolder;
    if (auto folder = environmentPath("KESTREL_CONFIG_DIR")) return *folder;
    // XDG: a relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (auto xdg = environmentPath("XDG_CONFIG_HOME"); xdg && xdg->is_absolute())
        return *xdg / "kestrel";
    return homeFolder() / ".config" / "kestrel";
}

std::filesystem::path PreferenceLocation::preferenceFile(
    const std::optional<std::filesystem::path>& commandLineFolder) {
    return configDirectory(commandLineFolder) / kFileName;
}

}  // namespace kestrel
