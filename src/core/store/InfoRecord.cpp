#include "core/store/InfoRecord.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/Log.h"
#include "core/exif/ExifValueParser.h"

#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <vector>

namespace kestrel {
namespace {

plist_t asPlist(void* node) { return static_cast<plist_t>(node); }

}  // namespace

InfoRecord::InfoRecord() : dict_(plist_new_dict()) {}
InfoRecord::~InfoRecord() {
    if (dict_) plist_free(asPlist(dict_));
}
InfoRecord::InfoRecord(InfoRecord&& other) noexcept
    : dict_(std::exchange(other.dict_, nullptr)), binary_(other.binary_), corrupt_(other.corrupt_) {}
InfoRecord& InfoRecord::operator=(InfoRecord&& other) noexcept {
    if (this != &other) {
        if (dict_) plist_free(asPlist(dict_));
        dict_ = std::exchange(other.dict_, nullptr);
        binary_ = other.binary_;
        corrupt_ = other.corrupt_;
    }
    return *this;
}

std::string InfoRecord::keyFor(int folderSequence) {
    return "LastFileGroupNumber-" + std::to_string(folderSequence);
}

InfoRecord InfoRecord::read(const std::filesystem::path& file) {
    InfoRecord record;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return record;
    const auto size = std::filesystem::file_size(file, ec);
    std::vector<char> bytes;
    if (!ec && size <= kMaxFileSize) {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    plist_t root = nullptr;
    if (!bytes.empty()) plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        if (root) plist_free(root);
        record.corrupt_ = true;
        Log::error("store: " + file.string() + " is not a readable record; it will be kept aside");
        return record;
    }
    plist_free(asPlist(record.dict_));
    record.dict_ = root;
    record.binary_ = bytes.size() >= 8 && std::string(bytes.data(), 8) == "bplist00";
    return record;
}

std::optional<int> InfoRecord::lastFileGroupNumber(int folderSequence) const {
    plist_t node = plist_dict_get_item(asPlist(dict_), keyFor(folderSequence).c_str());
    if (!node) return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        const long long value = text ? ExifValueParser::leadingInteger(text) : 0;
        std::free(text);
        return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(value), INT32_MIN, INT32_MAX));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return static_cast<int>(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
    }
    default:
        return 0;
    }
}

void InfoRecord::setLastFileGroupNumber(int folderSequence, int number) {
    plist_dict_set_item(asPlist(dict_), keyFor(folderSequence).c_str(),
                        plist_new_string(std::to_string(number).c_str()));
}

bool InfoRecord::write(const std::filesystem::path& file, std::string* error) {
    if (corrupt_ && std::filesystem::exists(file)) {
        const auto aside = AtomicFile::keepAside(file, error);
        if (!aside) return false;
        Log::warning("store: kept the unreadable record as " + aside->string());
        corrupt_ = false;
    }
    char* out = nullptr;
    uint32_t length = 0;
    if (binary_)
        plist_to_bin(asPlist(dict_), &out, &length);
    else
        plist_to_xml(asPlist(dict_), &out, &length);
    if (!out) {
        if (error) *error = "cannot serialise the record";
        return false;
    }
    const bool written = AtomicFile::write(file, {reinterpret_cast<const std::uint8_t*>(out), length}, 0644, error);
    if (binary_)
        plist_to_bin_free(out);
    else
        plist_to_xml_free(out);
    return written;
}

}  // namespace kestrel
