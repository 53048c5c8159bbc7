#pragma once

#include "core/platform/PreferenceStore.h"

#include <filesystem>
#include <mutex>
#include <optional>

namespace kestrel {

// The preference store as an XML property list file (binary property lists
// are read too). The file is read once, when the store is created; keys the
// store does not know the kind of are kept and written back as they were.
//
// A file that cannot be parsed, is too large to be a preference file, or does
// not hold a dictionary is moved aside to "<name>.corrupt-<UTC time>", logged,
// and the store starts empty; it is never overwritten. A file that exists but
// cannot be read at all is left alone and the store refuses to synchronize
// over it.
//
// Threads: every operation may be called from any thread (one lock).
class PlistPreferenceStore final : public PreferenceStore {
public:
    static constexpr std::uintmax_t kMaxFileSize = 4u << 20;

    explicit PlistPreferenceStore(std::filesystem::path file);
    ~PlistPreferenceStore() override;
    PlistPreferenceStore(const PlistPreferenceStore&) = delete;
    PlistPreferenceStore& operator=(const PlistPreferenceStore&) = delete;

    bool boolForKey(std::string_view key) const override;
    std::int32_t integerForKey(std::string_view key) const override;
    std::optional<Data> objectForKey(std::string_view key) const override;
    void setBool(bool value, std::string_view key) override;
    void setInteger(std::int32_t value, std::string_view key) override;
    void setObject(const Data& value, std::string_view key) override;
    void removeObjectForKey(std::string_view key) override;
    bool synchronize() override;

    const std::filesystem::path& file() const { return file_; }
    // Where an unreadable file was moved when this store was created.
    std::optional<std::filesystem::path> corruptFileKeptAside() const;

private:
    void loadFile();
    void moveAside(const std::string& reason);
    void setNode(std::string_view key, void* node);
    void* nodeForKey(std::string_view key) const;

    const std::filesystem::path file_;
    mutable std::mutex mutex_;  // guards everything below
    void* dict_ = nullptr;      // plist_t: the root dictionary
    bool dirty_ = false;
    bool writable_ = true;
    std::optional<std::filesystem::path> keptAside_;
};

}  // namespace kestrel
