#pragma once

#include <libexif/exif-data.h>

#include <string>

namespace kestrel {

// One EXIF entry with its libexif tag name and its value as libexif renders
// it. Holds a reference to the entry and to its data.
class LibExifEntryWrapper {
public:
    static constexpr std::size_t kValueBufferSize = 1024;

    // An entry read from a file.
    LibExifEntryWrapper(ExifEntry* entry, ExifData* data);
    // A new entry for `tagName` in IFD `ifd` with the value `value`; an
    // entry of the same tag already in that IFD takes the value instead, so
    // the tag stays single. Throws InvalidEntryException for an unknown tag
    // name, std::runtime_error when the value cannot be set.
    LibExifEntryWrapper(const std::string& value, const std::string& tagName, int ifd, ExifData* data);
    ~LibExifEntryWrapper();
    LibExifEntryWrapper(const LibExifEntryWrapper&) = delete;
    LibExifEntryWrapper& operator=(const LibExifEntryWrapper&) = delete;

    // Sets the stored value from text; answers NO (with the reason logged)
    // when the text does not fit the entry.
    bool setValue(const std::string& text);

    const std::string& value() const { return value_; }
    const std::string& tagName() const { return tagName_; }
    ExifEntry* entry() const { return entry_; }

    static std::string renderedValue(ExifEntry* entry);
    // Whether an entry has the format (and, unless text, the component count)
    // the library gives a new entry of its tag in that IFD.
    static bool hasStandardForm(const ExifEntry* entry, ExifIfd ifd);

private:
    ExifData* data_;
    ExifEntry* entry_ = nullptr;
    std::string tagName_;
    std::string value_;
};

}  // namespace kestrel
