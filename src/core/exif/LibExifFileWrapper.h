#pragma once

#include "core/exif/JpegSectionFile.h"
#include "core/exif/LibExifEntryWrapper.h"

#include <libexif/exif-data.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// One JPEG file opened for its EXIF tags: its sections, its EXIF data, and
// per IFD ("0", "1", "EXIF", "GPS", "Interoperability") the entries as
// objects with names and value texts. Made, used and released within one
// read or write; one thread at a time.
//
// A file without an EXIF block starts from an empty EXIF data set, so tags
// can still be added and written. A file that is not a JPEG Kestrel can
// account for byte by byte is never written.
class LibExifFileWrapper {
public:
    struct IfdModel {
        std::string ifdName;
        std::vector<std::unique_ptr<LibExifEntryWrapper>> ifdEntries;
    };

    // What of the file is read: all of it (to write it back), or its tags
    // only (the image data is not read, and the file cannot be written).
    enum class Reading { kWhole, kTagsOnly };

    explicit LibExifFileWrapper(std::filesystem::path file, Reading reading = Reading::kWhole);
    // The same over a JPEG held in memory (a photo before its first write),
    // which the caller keeps alive and unchanged meanwhile; `name` stands
    // for it in messages.
    LibExifFileWrapper(std::span<const std::uint8_t> jpeg, std::filesystem::path name);
    ~LibExifFileWrapper();
    LibExifFileWrapper(const LibExifFileWrapper&) = delete;
    LibExifFileWrapper& operator=(const LibExifFileWrapper&) = delete;

    // Reads the file; answers whether it held an EXIF block (the data set
    // exists either way when the file is a readable JPEG).
    bool loadImageFile(Reading reading = Reading::kWhole);
    // Writes the EXIF data back into the file (atomically); answers whether
    // the file now holds it.
    bool saveImageFile();
    // The whole JPEG with the EXIF data in its block, as saveImageFile()
    // would write it; none when the data cannot be serialised or placed.
    std::optional<std::vector<std::uint8_t>> saveImageBytes();

    LibExifEntryWrapper* findEntry(const std::string& tagName, const std::string& ifdName) const;
    // None when the tag name or IFD name is unknown or the value does not fit.
    LibExifEntryWrapper* createEntry(const std::string& value, const std::string& tagName,
                                     const std::string& ifdName);
    // Drops every entry of the tag from the IFD (a tag misplaced there, say);
    // answers whether there was one.
    bool removeEntry(const std::string& tagName, const std::string& ifdName);
    static int getIfdIdxForName(const std::string& ifdName);
    const IfdModel* getIfdModelForName(const std::string& ifdName) const;
    const std::array<IfdModel, EXIF_IFD_COUNT>& imageFileDirectories() const { return ifds_; }

    bool isJpeg() const { return sections_.has_value(); }
    const std::string& lastError() const { return error_; }
    ExifData* exifData() const { return exifData_; }

private:
    void readExif();
    void addGpsVersionIfNeeded();
    bool placeExifBlock();

    std::filesystem::path filePath_;
    std::array<IfdModel, EXIF_IFD_COUNT> ifds_;
    std::optional<JpegSectionFile> sections_;
    ExifData* exifData_ = nullptr;
    std::string error_;
};

}  // namespace kestrel
