#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Well-known folders and folder chores, on path strings.
class DirectoryUtils {
public:
    // The device camera roll: the folder given, else $KESTREL_DCIM, else
    // the XDG pictures folder + "DCIM" (~/Pictures/DCIM when none is set).
    static std::string getCameraRollFolder(const std::optional<std::string>& given = std::nullopt);
    static std::string getUserFolder();
    static std::string getUserSubfolder(const std::string& name);
    static std::string getPicturesFolder();
    static std::string getDocumentFolder();
    static std::string getDocumentSubfolder(const std::string& name);
    // Kestrel's resources: $KESTREL_RESOURCES, else share/kestrel beside the
    // program's folder.
    static std::string getBundelFolder();
    static std::string getBundelSubfolder(const std::string& name);

    static std::string parentFolder(const std::string& path);
    static bool folderExist(const std::string& path);
    static bool isFolder(const std::string& path);
    // Creates the folder and any missing ancestors; YES when it exists after.
    static bool ensureFolderExist(const std::string& path);
    static bool removeFolder(const std::string& path);
    // The names in a folder ("." and ".." left out), in the file system's
    // own order, which is no order at all on most (hash order on ext4);
    // empty when it cannot be listed.
    static std::vector<std::string> listFolder(const std::string& path);

    // An XDG user folder ("PICTURES", "DOCUMENTS") from $XDG_<NAME>_DIR or
    // user-dirs.dirs, as xdg-user-dir finds it; none when neither says.
    static std::optional<std::string> xdgUserDir(const std::string& name);
};

// File chores on path strings.
class FileUtils {
public:
    static bool fileExists(const std::string& path);
    static void deleteFile(const std::string& path);
};

}  // namespace kestrel
