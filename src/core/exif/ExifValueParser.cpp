#include "core/exif/ExifValueParser.h"

#include <libexif/exif-utils.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace kestrel {
namespace {

constexpr ExifTag kUserComment = static_cast<ExifTag>(0x9286);

// Replaces the entry's data with `bytes` (entries of a data set made with
// libexif's default allocator own malloc'd buffers).
bool replaceData(ExifEntry* e, const std::vector<unsigned char>& bytes) {
    auto* copy = static_cast<unsigned char*>(std::malloc(bytes.size()));
    if (!copy) return false;
    std::memcpy(copy, bytes.data(), bytes.size());
    std::free(e->data);
    e->data = copy;
    e->size = static_cast<unsigned int>(bytes.size());
    e->components = bytes.size();
    return true;
}

// Tokens at single spaces: two spaces in a row give an empty token.
struct Tokens {
    std::string_view text;
    std::size_t at = 0;
    bool done = false;

    std::optional<std::string_view> next() {
        if (done) return std::nullopt;
        const std::size_t space = text.find(' ', at);
        if (space == std::string_view::npos) {
            done = true;
            return text.substr(at);
        }
        const std::string_view token = text.substr(at, space - at);
        at = space + 1;
        return token;
    }
    bool leftOver() const { return !done; }
};

}  // namespace

long long ExifValueParser::leadingInteger(std::string_view token) {
    std::size_t i = 0;
    while (i < token.size() && std::isspace(static_cast<unsigned char>(token[i]))) ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    long long value = 0;
    constexpr long long kMax = std::numeric_limits<long long>::max();
    for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i) {
        const int digit = token[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

ExifValueParser::Result ExifValueParser::setValue(ExifData* data, ExifTag tag, ExifIfd ifd,
                                                  std::string_view text) {
    Result result;
    if (!data || ifd < 0 || ifd >= EXIF_IFD_COUNT) {
        result.error = "no EXIF data or IFD to set a value in";
        return result;
    }
    ExifContent* content = data->ifd[ifd];
    ExifEntry* e = exif_content_get_entry(content, tag);
    if (!e) {
        e = exif_entry_new();
        if (!e) {
            result.error = "Not enough memory.";
            return result;
        }
        e->tag = tag;  // before adding: the content refuses a second entry of a tag
        exif_content_add_entry(content, e);
        const bool added = e->parent != nullptr;
        exif_entry_initialize(e, tag);
        exif_entry_unref(e);  // the content holds it
        if (!added) {
            result.error = "the entry could not be added";
            return result;
        }
    }

    if (e->format == EXIF_FORMAT_ASCII || tag == kUserComment) {
        std::vector<unsigned char> bytes;
        if (tag == kUserComment && e->format != EXIF_FORMAT_ASCII) {
            static constexpr unsigned char kCode[8] = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
            bytes.assign(kCode, kCode + 8);
            bytes.insert(bytes.end(), text.begin(), text.end());
        } else {
            bytes.assign(text.begin(), text.end());
            bytes.push_back(0);
        }
        if (!replaceData(e, bytes)) result.error = "Not enough memory.";
        return result;
    }

    const unsigned long count = e->components;
    if (count == 0) {
        if (!text.empty()) result.error = "Setting a value for this tag is unsupported!";
        return result;
    }
    const bool rational = e->format == EXIF_FORMAT_RATIONAL || e->format == EXIF_FORMAT_SRATIONAL;
    const unsigned long tokensWanted = rational ? 2 * count : count;
    const unsigned formatSize = exif_format_get_size(e->format);
    if (!e->data || e->size < count * formatSize) {
        result.error = "the entry holds less data than its components";
        return result;
    }
    const ExifByteOrder order = exif_data_get_byte_order(data);
    Tokens tokens{text};
    for (unsigned long k = 0; k < tokensWanted; ++k) {
        const auto token = tokens.next();
        if (!token) {
            result.error = "Too few components specified!";
            return result;
        }
        const long long v = leadingInteger(*token);
        unsigned char* at = e->data;
        switch (e->format) {
        case EXIF_FORMAT_SHORT:
            exif_set_short(at + 2 * k, order, static_cast<ExifShort>(v));
            break;
        case EXIF_FORMAT_SSHORT:
            exif_set_sshort(at + 2 * k, order, static_cast<ExifSShort>(v));
            break;
        case EXIF_FORMAT_LONG:
        case EXIF_FORMAT_RATIONAL:
            exif_set_long(at + 4 * k, order, static_cast<ExifLong>(v));
            break;
        case EXIF_FORMAT_SLONG:
        case EXIF_FORMAT_SRATIONAL:
            exif_set_slong(at + 4 * k, order, static_cast<ExifSLong>(v));
            break;
        default:
            result.error = "Not yet implemented!";
            return result;
        }
    }
    if (tokens.leftOver()) result.warning = "Warning; Too many components specified!";
    return result;
}

}  // namespace kestrel
