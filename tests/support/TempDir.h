#pragma once

#include <filesystem>
#include <string>

namespace kestrel::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Tests write files only in here.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace kestrel::test
