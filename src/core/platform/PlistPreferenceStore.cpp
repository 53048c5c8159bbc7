#include "core/platform/PlistPreferenceStore.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/Log.h"

#include <plist/plist.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {
namespace {

plist_t asPlist(void* node) { return static_cast<plist_t>(node); }

std::string keyString(std::string_view key) { return std::string(key); }

enum class ReadResult { Read, Missing, TooLarge, Failed };

// Reads at most kMaxFileSize bytes; a larger file is not read at all.
ReadResult readSmallFile(const std::filesystem::path& file, std::string& bytes, int& code) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        code = errno;
        return code == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat info {};
    ReadResult result = ReadResult::Read;
    if (::fstat(fd, &info) != 0) {
        code = errno;
        result = ReadResult::Failed;
    } else if (!S_ISREG(info.st_mode)) {
        code = EISDIR;
        result = ReadResult::Failed;
    } else if (static_cast<std::uintmax_t>(info.st_size) > PlistPreferenceStore::kMaxFileSize) {
        result = ReadResult::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                code = errno;
                result = ReadResult::Failed;
                break;
            }
            if (n == 0) break;  // shrank while we read: take what is there
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return result;
}

}  // namespace

PlistPreferenceStore::PlistPreferenceStore(std::filesystem::path file) : file_(std::move(file)) {
    loadFile();
    if (!dict_) dict_ = plist_new_dict();
}

PlistPreferenceStore::~PlistPreferenceStore() { plist_free(asPlist(dict_)); }

void PlistPreferenceStore::loadFile() {
    std::string bytes;
    int code = 0;
    switch (readSmallFile(file_, bytes, code)) {
    case ReadResult::Missing:
        return;
    case ReadResult::Failed:
        writable_ = false;
        Log::error("preferences: cannot read " + file_.string() + ": " + std::strerror(code) +
                   "; starting from defaults and leaving the file alone");
        return;
    case ReadResult::TooLarge:
        moveAside("larger than " + std::to_string(kMaxFileSize) + " bytes");
        return;
    case ReadResult::Read:
        break;
    }
    plist_t root = nullptr;
    if (!bytes.empty()) plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) {
        moveAside("not a property list");
        return;
    }
    if (plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        moveAside("its top level is not a dictionary");
        return;
    }
    dict_ = root;
}

void PlistPreferenceStore::moveAside(const std::string& reason) {
    std::string error;
    if (const auto aside = AtomicFile::keepAside(file_, &error)) {
        keptAside_ = *aside;
        Log::error("preferences: " + file_.string() + " is unusable (" + reason + "); kept it as " +
                   aside->string() + " and starting from defaults");
        return;
    }
    writable_ = false;
    Log::error("preferences: " + file_.string() + " is unusable (" + reason + ") and " + error +
               "; starting from defaults and leaving the file alone");
}

std::optional<std::filesystem::path> PlistPreferenceStore::corruptFileKeptAside() const {
    std::lock_guard lock(mutex_);
    return keptAside_;
}

void* PlistPreferenceStore::nodeForKey(std::string_view key) const {
    return plist_dict_get_item(asPlist(dict_), keyString(key).c_str());
}

void PlistPreferenceStore::setNode(std::string_view key, void* node) {
    plist_dict_set_item(asPlist(dict_), keyString(key).c_str(), asPlist(node));
    dirty_ = true;
}

bool PlistPreferenceStore::boolForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    plist_t node = asPlist(nodeForKey(key));
    if (!node) return false;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return value != 0;
    }
    default:
        return false;
    }
}

std::int32_t PlistPreferenceStore::integerForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    plist_t node = asPlist(nodeForKey(key));
    if (!node) return 0;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value ? 1 : 0;
    }
    case PLIST_UINT: {
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        // The file holds a signed 64-bit value in two's complement.
        const auto value = static_cast<std::int64_t>(raw);
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max()) {
            Log::warning("preferences: \"" + keyString(key) + "\" holds " + std::to_string(value) +
                         ", which is not a 32-bit integer; reading 0");
            return 0;
        }
        return static_cast<std::int32_t>(value);
    }
    default:
        return 0;
    }
}

std::optional<PreferenceStore::Data> PlistPreferenceStore::objectForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    plist_t node = asPlist(nodeForKey(key));
    if (!node || plist_get_node_type(node) != PLIST_DATA) return std::nullopt;
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    Data data(reinterpret_cast<const std::uint8_t*>(bytes),
              reinterpret_cast<const std::uint8_t*>(bytes) + length);
    std::free(bytes);
    return data;
}

void PlistPreferenceStore::setBool(bool value, std::string_view key) {
    std::lock_guard lock(mutex_);
    setNode(key, plist_new_bool(value ? 1 : 0));
}

void PlistPreferenceStore::setInteger(std::int32_t value, std::string_view key) {
    std::lock_guard lock(mutex_);
    // Sign-extended: the property list writes the value as a signed integer.
    setNode(key, plist_new_uint(static_cast<uint64_t>(static_cast<std::int64_t>(value))));
}

void PlistPreferenceStore::setObject(const Data& value, std::string_view key) {
    std::lock_guard lock(mutex_);
    setNode(key, plist_new_data(reinterpret_cast<const char*>(value.data()), value.size()));
}

void PlistPreferenceStore::removeObjectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (!nodeForKey(key)) return;
    plist_dict_remove_item(asPlist(dict_), keyString(key).c_str());
    dirty_ = true;
}

bool PlistPreferenceStore::synchronize() {
    std::lock_guard lock(mutex_);
    if (!writable_) {
        Log::error("preferences: not saving over " + file_.string() +
                   ", which could not be read when Kestrel started");
        return false;
    }
    std::error_code ec;
    if (!dirty_ && std::filesystem::exists(file_, ec)) return true;

    const std::filesystem::path folder = file_.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            Log::error("preferences: cannot create " + folder.string() + ": " + ec.message());
            return false;
        }
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    }

    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(asPlist(dict_), &xml, &length);
    if (!xml) {
        Log::error("preferences: cannot serialise the store");
        return false;
    }
    std::string error;
    const bool written = AtomicFile::write(
        file_, {reinterpret_cast<const std::uint8_t*>(xml), length}, 0600, &error);
    plist_to_xml_free(xml);
    if (!written) {
        Log::error("preferences: " + error);
        return false;
    }
    dirty_ = false;
    return true;
}

}  // namespace kestrel
