#include "core/exif/LibExifFileWrapper.h"

#include "core/exif/InvalidEntryException.h"
#include "core/platform/Log.h"

#include <libexif/exif-tag.h>

#include <cstdlib>

namespace kestrel {
namespace {

// Another camera's data is kept as it is: no tags dropped for being unknown
// or misplaced, maker notes left untouched.
ExifData* newExifData(bool fromFile) {
    ExifData* data = exif_data_new();
    if (!data) return nullptr;
    if (fromFile) {
        exif_data_unset_option(data, EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
        exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
        exif_data_set_option(data, EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
    }
    return data;
}

}  // namespace

LibExifFileWrapper::LibExifFileWrapper(std::filesystem::path file, Reading reading) : filePath_(std::move(file)) {
    for (int i = 0; i < EXIF_IFD_COUNT; ++i)
        ifds_[static_cast<std::size_t>(i)].ifdName = exif_ifd_get_name(static_cast<ExifIfd>(i));
    loadImageFile(reading);
}

LibExifFileWrapper::~LibExifFileWrapper() {
    for (auto& model : ifds_) model.ifdEntries.clear();
    if (exifData_) exif_data_unref(exifData_);
}

LibExifFileWrapper::LibExifFileWrapper(std::span<const std::uint8_t> jpeg, std::filesystem::path name)
    : filePath_(std::move(name)) {
    for (int i = 0; i < EXIF_IFD_COUNT; ++i)
        ifds_[static_cast<std::size_t>(i)].ifdName = exif_ifd_get_name(static_cast<ExifIfd>(i));
    std::string why;
    sections_ = JpegSectionFile::view(jpeg, &why);
    if (!sections_) {
        error_ = filePath_.string() + ": " + why;
        return;
    }
    readExif();
}

bool LibExifFileWrapper::loadImageFile(Reading reading) {
    sections_ = reading == Reading::kTagsOnly ? JpegSectionFile::loadMetadata(filePath_, &error_)
                                              : JpegSectionFile::load(filePath_, &error_);
    if (!sections_) return false;
    readExif();
    return exifData_ && sections_->exifBlock().has_value();
}

void LibExifFileWrapper::readExif() {
    const auto block = sections_->exifBlock();
    exifData_ = newExifData(block.has_value());
    if (!exifData_) {
        error_ = "not enough memory for the EXIF data";
        return;
    }
    if (!block) return;
    exif_data_load_data(exifData_, block->data(), static_cast<unsigned int>(block->size()));
    for (int i = 0; i < EXIF_IFD_COUNT; ++i) {
        ExifContent* content = exifData_->ifd[i];
        for (unsigned int k = 0; k < content->count; ++k)
            ifds_[static_cast<std::size_t>(i)].ifdEntries.push_back(
                std::make_unique<LibExifEntryWrapper>(content->entries[k], exifData_));
    }
}

int LibExifFileWrapper::getIfdIdxForName(const std::string& ifdName) {
    for (int i = 0; i < EXIF_IFD_COUNT; ++i)
        if (ifdName == exif_ifd_get_name(static_cast<ExifIfd>(i))) return i;
    return -1;
}

const LibExifFileWrapper::IfdModel* LibExifFileWrapper::getIfdModelForName(const std::string& ifdName) const {
    const int index = getIfdIdxForName(ifdName);
    return index < 0 ? nullptr : &ifds_[static_cast<std::size_t>(index)];
}

LibExifEntryWrapper* LibExifFileWrapper::findEntry(const std::string& tagName,
                                                   const std::string& ifdName) const {
    const IfdModel* model = getIfdModelForName(ifdName);
    if (!model) return nullptr;
    for (const auto& entry : model->ifdEntries)
        if (entry->tagName() == tagName) return entry.get();
    return nullptr;
}

LibExifEntryWrapper* LibExifFileWrapper::createEntry(const std::string& value, const std::string& tagName,
                                                     const std::string& ifdName) {
    const int index = getIfdIdxForName(ifdName);
    if (!exifData_ || index < 0) return nullptr;
    IfdModel& model = ifds_[static_cast<std::size_t>(index)];
    try {
        auto entry = std::make_unique<LibExifEntryWrapper>(value, tagName, index, exifData_);
        // An older wrapper of the same entry, or of one it replaced, goes.
        ExifContent* content = exifData_->ifd[index];
        std::erase_if(model.ifdEntries, [&](const std::unique_ptr<LibExifEntryWrapper>& old) {
            return old->entry() == entry->entry() || old->entry()->parent != content;
        });
        model.ifdEntries.push_back(std::move(entry));
        return model.ifdEntries.back().get();
    } catch (const std::exception& e) {
        Log::warning("EXIF: cannot create " + tagName + " in IFD " + ifdName + ": " + e.what());
        return nullptr;
    }
}

bool LibExifFileWrapper::removeEntry(const std::string& tagName, const std::string& ifdName) {
    const int index = getIfdIdxForName(ifdName);
    const ExifTag tag = exif_tag_from_name(tagName.c_str());
    if (!exifData_ || index < 0 || tag == 0) return false;
    // By the tag's number: the library names a tag only in the IFDs it belongs in.
    ExifContent* content = exifData_->ifd[index];
    bool removed = false;
    while (ExifEntry* entry = exif_content_get_entry(content, tag)) {
        exif_content_remove_entry(content, entry);
        removed = true;
    }
    if (removed)
        std::erase_if(ifds_[static_cast<std::size_t>(index)].ifdEntries,
                      [&](const std::unique_ptr<LibExifEntryWrapper>& old) { return old->entry()->tag == tag; });
    return removed;
}

void LibExifFileWrapper::addGpsVersionIfNeeded() {
    ExifContent* gps = exifData_->ifd[EXIF_IFD_GPS];
    if (gps->count == 0 || exif_content_get_entry(gps, static_cast<ExifTag>(EXIF_TAG_GPS_VERSION_ID))) return;
    ExifEntry* version = exif_entry_new();
    if (!version) return;
    exif_content_add_entry(gps, version);
    exif_entry_initialize(version, static_cast<ExifTag>(EXIF_TAG_GPS_VERSION_ID));
    exif_entry_unref(version);
}

// Serialises the EXIF data into the section file's block.
bool LibExifFileWrapper::placeExifBlock() {
    if (!sections_ || !exifData_) {
        Log::error("EXIF: not writing " + filePath_.string() + ": " +
                   (error_.empty() ? std::string("no EXIF data") : error_));
        return false;
    }
    addGpsVersionIfNeeded();
    unsigned char* block = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exifData_, &block, &size);
    if (!block || size == 0) {
        std::free(block);
        error_ = "the EXIF data could not be serialised";
        Log::error("EXIF: " + error_);
        return false;
    }
    const bool set = sections_->setExifBlock({block, size}, &error_);
    std::free(block);
    if (!set) Log::error("EXIF: not writing " + filePath_.string() + ": " + error_);
    return set;
}

bool LibExifFileWrapper::saveImageFile() {
    if (!placeExifBlock()) return false;
    if (!sections_->save(filePath_, &error_)) {
        Log::error("EXIF: not writing " + filePath_.string() + ": " + error_);
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> LibExifFileWrapper::saveImageBytes() {
    if (sections_ && sections_->metadataOnly()) {
        error_ = filePath_.string() + ": read for its tags only, it cannot be written back";
        return std::nullopt;
    }
    if (!placeExifBlock()) return std::nullopt;
    return sections_->serialize();
}

}  // namespace kestrel
