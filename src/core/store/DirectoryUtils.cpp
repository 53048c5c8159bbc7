#include "core/store/DirectoryUtils.h"

#include "core/platform/Log.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::string joined(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

}  // namespace

std::string DirectoryUtils::getUserFolder() {
    if (auto home = environment("HOME")) return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string DirectoryUtils::getUserSubfolder(const std::string& name) { return joined(getUserFolder(), name); }

std::optional<std::string> DirectoryUtils::xdgUserDir(const std::string& name) {
    if (auto value = environment(("XDG_" + name + "_DIR").c_str())) return value;
    const std::string config = environment("XDG_CONFIG_HOME").value_or(getUserSubfolder(".config"));
    std::ifstream dirs(fs::path(config) / "user-dirs.dirs");
    const std::string key = "XDG_" + name + "_DIR=";
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = getUserFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return std::nullopt;
}

std::string DirectoryUtils::getPicturesFolder() {
    return xdgUserDir("PICTURES").value_or(getUserSubfolder("Pictures"));
}

std::string DirectoryUtils::getCameraRollFolder(const std::optional<std::string>& given) {
    if (given && !given->empty()) return *given;
    if (auto dcim = environment("KESTREL_DCIM")) return *dcim;
    return joined(getPicturesFolder(), "DCIM");
}

std::string DirectoryUtils::getDocumentFolder() {
    return xdgUserDir("DOCUMENTS").value_or(getUserSubfolder("Documents"));
}

std::string DirectoryUtils::getDocumentSubfolder(const std::string& name) {
    return joined(getDocumentFolder(), name);
}

std::string DirectoryUtils::getBundelFolder() {
    if (auto resources = environment("KESTREL_RESOURCES")) return *resources;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("/usr/share/kestrel") : (program.parent_path().parent_path() / "share" / "kestrel").string();
}

std::string DirectoryUtils::getBundelSubfolder(const std::string& name) { return joined(getBundelFolder(), name); }

std::string DirectoryUtils::parentFolder(const std::string& path) {
    const fs::path p(path);
    return p.has_relative_path() && p.filename().empty() ? p.parent_path().parent_path().string()
                                                         : p.parent_path().string();
}

bool DirectoryUtils::folderExist(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool DirectoryUtils::isFolder(const std::string& path) { return folderExist(path); }

bool DirectoryUtils::ensureFolderExist(const std::string& path) {
    if (path.empty() || path == "/") return true;
    if (FileUtils::fileExists(path)) return true;
    const std::string parent = parentFolder(path);
    if (parent != path && !ensureFolderExist(parent)) return false;
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    Log::warning("store: cannot create the folder " + path);
    return false;
}

bool DirectoryUtils::removeFolder(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    return true;
}

std::vector<std::string> DirectoryUtils::listFolder(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

bool FileUtils::fileExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void FileUtils::deleteFile(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

}  // namespace kestrel
