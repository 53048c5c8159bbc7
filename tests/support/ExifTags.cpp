#include "support/ExifTags.h"

#include "core/exif/JpegSectionFile.h"
#include "core/exif/LibExifFileWrapper.h"

#include <gtest/gtest.h>

#include <regex>

namespace kestrel::test {

std::vector<std::string> exifTagsOf(const std::vector<std::uint8_t>& jpeg, bool maskDates) {
    static const std::regex date(R"(\d{4}:\d\d:\d\d \d\d:\d\d:\d\d)");
    LibExifFileWrapper file(jpeg, "photo");
    std::vector<std::string> tags;
    for (const auto& ifd : file.imageFileDirectories())
        for (const auto& entry : ifd.ifdEntries) {
            std::string value = entry->value();
            const std::string& tag = entry->tagName();
            if (maskDates && (tag == "DateTime" || tag == "DateTimeOriginal" || tag == "DateTimeDigitized")) {
                EXPECT_TRUE(std::regex_match(value, date)) << tag << " " << value;
                value = "<date>";
            }
            tags.push_back(ifd.ifdName + "/" + tag + "=" + value);
        }
    return tags;
}

std::vector<std::uint8_t> withoutExif(const std::vector<std::uint8_t>& jpeg) {
    const auto file = JpegSectionFile::parse(jpeg);
    if (!file) return {};
    std::vector<std::uint8_t> rest = jpeg;
    for (const auto& section : file->sections())
        if (section.marker == 0xE1 &&
            JpegSectionFile::isExifBlock({jpeg.data() + section.contentBegin, section.contentSize()})) {
            rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(section.begin),
                       rest.begin() + static_cast<std::ptrdiff_t>(section.end));
            break;
        }
    return rest;
}

}  // namespace kestrel::test
