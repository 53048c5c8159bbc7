#pragma once

#include <libexif/exif-data.h>

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Kestrel's value-text parser: sets the stored value of an EXIF entry from
// text. ASCII entries (and UserComment) take the text itself; numeric entries
// take space-separated integers, rationals as numerator–denominator pairs
// ("48 1 3112 100 0 1" is 48/1, 3112/100, 0/1), in the data's byte order.
//
// A failure answers its reason and changes nothing more than the tokens
// already stored; the caller decides what it means. Nothing ends the process.
class ExifValueParser {
public:
    struct Result {
        std::optional<std::string> error;    // the value could not be set
        std::optional<std::string> warning;  // set, but text was left over
        bool ok() const { return !error; }
    };

    // The first entry with `tag` in IFD `ifd` of `data` (created and
    // initialised for the tag when there is none) takes the value.
    static Result setValue(ExifData* data, ExifTag tag, ExifIfd ifd, std::string_view text);

    // The leading integer of a token: optional white space, an optional sign,
    // decimal digits; 0 when there are none. Saturates at the 64-bit range.
    static long long leadingInteger(std::string_view token);
};

}  // namespace kestrel
