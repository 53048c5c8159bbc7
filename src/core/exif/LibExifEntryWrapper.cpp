#include "core/exif/LibExifEntryWrapper.h"

#include "core/exif/ExifValueParser.h"
#include "core/exif/InvalidEntryException.h"
#include "core/platform/Log.h"

#include <libexif/exif-tag.h>

#include <array>
#include <memory>

namespace kestrel {

std::string LibExifEntryWrapper::renderedValue(ExifEntry* entry) {
    std::array<char, kValueBufferSize> buffer{};
    const char* text = exif_entry_get_value(entry, buffer.data(), static_cast<unsigned int>(buffer.size()));
    return text ? std::string(text) : std::string();
}

LibExifEntryWrapper::LibExifEntryWrapper(ExifEntry* entry, ExifData* data)
    : data_(data), entry_(entry) {
    exif_data_ref(data_);
    exif_entry_ref(entry_);
    value_ = renderedValue(entry_);
    const char* name = exif_tag_get_name_in_ifd(entry_->tag, exif_content_get_ifd(entry_->parent));
    tagName_ = name ? name : "";
}

LibExifEntryWrapper::LibExifEntryWrapper(const std::string& value, const std::string& tagName,
                                         int ifd, ExifData* data)
    : data_(data), tagName_(tagName) {
    exif_data_ref(data_);
    const ExifTag tag = exif_tag_from_name(tagName.c_str());
    if (tag == 0 || ifd < 0 || ifd >= EXIF_IFD_COUNT) {
        exif_data_unref(data_);
        throw InvalidEntryException("The tag name was invalid");
    }
    ExifContent* content = data_->ifd[ifd];
    // An older entry of the tag's standard form takes the value, one of
    // another form (a coordinate stored as text, say) is replaced, so that
    // the file carries the tag once, in the form readers expect.
    ExifEntry* older = exif_content_get_entry(content, tag);
    if (older && !hasStandardForm(older, static_cast<ExifIfd>(ifd))) {
        exif_content_remove_entry(content, older);
        older = nullptr;
    }
    bool created = false;
    if (older) {
        entry_ = older;
        exif_entry_ref(entry_);
    } else {
        entry_ = exif_entry_new();
        if (!entry_) {
            exif_data_unref(data_);
            throw std::runtime_error("Not enough memory.");
        }
        entry_->tag = tag;  // before adding: the content refuses a second entry of a tag
        exif_content_add_entry(content, entry_);
        exif_entry_initialize(entry_, tag);
        created = true;
    }
    if (!setValue(value)) {
        if (created) exif_content_remove_entry(content, entry_);
        exif_entry_unref(entry_);
        exif_data_unref(data_);
        throw std::runtime_error("the value \"" + value + "\" does not fit " + tagName);
    }
}

bool LibExifEntryWrapper::hasStandardForm(const ExifEntry* entry, ExifIfd ifd) {
    // The form the library gives a new entry of the tag, learnt on scratch data.
    ExifData* scratch = exif_data_new();
    ExifEntry* standard = exif_entry_new();
    bool same = false;
    if (scratch && standard) {
        standard->tag = entry->tag;
        exif_content_add_entry(scratch->ifd[ifd], standard);
        exif_entry_initialize(standard, entry->tag);
        same = standard->format == entry->format &&
               (entry->format == EXIF_FORMAT_ASCII || standard->components == entry->components);
    }
    if (standard) exif_entry_unref(standard);
    if (scratch) exif_data_unref(scratch);
    return same;
}

LibExifEntryWrapper::~LibExifEntryWrapper() {
    if (entry_) exif_entry_unref(entry_);
    exif_data_unref(data_);
}

bool LibExifEntryWrapper::setValue(const std::string& text) {
    const ExifIfd ifd = exif_content_get_ifd(entry_->parent);
    const auto result = ExifValueParser::setValue(data_, entry_->tag, ifd, text);
    if (result.warning) Log::warning("EXIF: " + tagName_ + ": " + *result.warning);
    value_ = renderedValue(entry_);
    if (result.error) {
        Log::error("EXIF: " + tagName_ + ": " + *result.error);
        return false;
    }
    return true;
}

}  // namespace kestrel
