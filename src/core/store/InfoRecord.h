#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kestrel {

// The shared record .MISC/Info.plist of a DCIM tree: a property-list
// dictionary that the platform camera's keys share with Kestrel's
// "LastFileGroupNumber-<folder>". Kestrel reads its keys as the integer value
// of a string or a number, writes them as strings, and carries every other
// key through unchanged. A record is written back in the format it was read
// (XML or binary); a new one is XML. A record that cannot be parsed is kept
// aside as "Info.plist.corrupt-<UTC time>" before a new one is written.
class InfoRecord {
public:
    static constexpr std::uintmax_t kMaxFileSize = 16u << 20;

    InfoRecord();
    ~InfoRecord();
    InfoRecord(InfoRecord&& other) noexcept;
    InfoRecord& operator=(InfoRecord&& other) noexcept;
    InfoRecord(const InfoRecord&) = delete;
    InfoRecord& operator=(const InfoRecord&) = delete;

    // Reads the record at `file`; a missing or unreadable one reads as empty.
    static InfoRecord read(const std::filesystem::path& file);

    std::optional<int> lastFileGroupNumber(int folderSequence) const;
    void setLastFileGroupNumber(int folderSequence, int number);
    static std::string keyFor(int folderSequence);

    // Writes the record atomically to `file` (keeping aside an unparsable
    // file found there when it was read). Answers whether it reached the disk.
    bool write(const std::filesystem::path& file, std::string* error = nullptr);

    bool wasBinary() const { return binary_; }
    bool wasCorrupt() const { return corrupt_; }

private:
    void* dict_ = nullptr;  // plist_t dictionary
    bool binary_ = false;
    bool corrupt_ = false;
};

}  // namespace kestrel
