#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::test {

// The EXIF entries of a JPEG as "IFD/Tag=value" lines, in the file's order;
// the three date tags read "<date>" once checked to be a date of the EXIF
// form, so that photos stamped at different moments compare.
std::vector<std::string> exifTagsOf(const std::vector<std::uint8_t>& jpeg, bool maskDates = false);
// The JPEG without its EXIF segment: the picture's own bytes.
std::vector<std::uint8_t> withoutExif(const std::vector<std::uint8_t>& jpeg);

}  // namespace kestrel::test
