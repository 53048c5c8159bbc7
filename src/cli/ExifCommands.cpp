#include "cli/ExifCommands.h"

#include "cli/CliError.h"
#include "core/exif/ExifReader.h"
#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"

#include <libexif/exif-tag.h>

#include <cstdio>
#include <ctime>

namespace kestrel::cli {
namespace {

// "HH:MM:SS" today, local time.
std::chrono::system_clock::time_point localTimeToday(const std::string& text) {
    int h = 0, m = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &tail) != 3 || h < 0 || h > 23 ||
        m < 0 || m > 59 || s < 0 || s > 60)
        throw CliError::usage("--time takes HH:MM:SS, not \"" + text + "\"");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = h;
    local.tm_min = m;
    local.tm_sec = s;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// A value on its one line of the dump: a tab or a line break in a file's
// text would split the entry, an escape would reach the terminal.
std::string oneLine(std::string value) {
    for (char& c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) c = '.';
    }
    return value;
}

}  // namespace

ExifCommands::ExifCommands(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* exif = parent.add_subcommand("exif", "Kestrel's EXIF tags on JPEG files");
    exif->require_subcommand(1);

    CLI::App* stamp = exif->add_subcommand(
        "stamp", "Stamp the make, model and date tags, and the GPS tags with a position");
    stamp->add_option("FILE", file_)->required();
    auto* lat = stamp->add_option("--lat", latitude_, "Latitude in degrees, south negative")
                    ->check(CLI::Range(-90.0, 90.0));
    auto* lon = stamp->add_option("--lon", longitude_, "Longitude in degrees, west negative")
                    ->check(CLI::Range(-180.0, 180.0));
    lat->needs(lon);
    lon->needs(lat);
    stamp->add_option("--time", time_, "The position's time, HH:MM:SS local (default: now)")->needs(lat);
    stamp->add_flag("--seconds-form", secondsForm_,
                    "Degrees, minutes, seconds (as for the location source's position)");
    stamp->add_option("--make", make_, "Make tag (default: this device's maker)");
    stamp->add_option("--model", model_, "Model tag (default: this device's model)");
    stamp->callback([this] { this->stamp(); });

    CLI::App* read = exif->add_subcommand("read", "The GPS position as \"LAT LON\", or none");
    read->add_option("FILE", file_)->required();
    read->callback([this] { this->read(); });

    CLI::App* dump = exif->add_subcommand("dump", "Every entry: IFD, tag name, value");
    dump->add_option("FILE", file_)->required();
    dump->callback([this] { this->dump(); });
}

void ExifCommands::stamp() const {
    ExifWriter writer(file_);
    if (!make_.empty() || !model_.empty()) {
        DeviceIdentity identity = DeviceIdentity::fromSystem();
        if (!make_.empty()) identity.make = make_;
        if (!model_.empty()) identity.model = model_;
        writer.setIdentity(identity);
    }
    bool stamped = false;
    if (latitude_ && longitude_) {
        const GeoPosition position{*latitude_, *longitude_,
                                   time_.empty() ? std::chrono::system_clock::now() : localTimeToday(time_)};
        if (secondsForm_) {
            const FixedLocationSource source(position);
            stamped = writer.write(&source);
        } else {
            stamped = writer.write(position);
        }
    } else {
        stamped = writer.write(static_cast<const LocationSource*>(nullptr));
    }
    if (!stamped) throw CliError::failure("could not stamp " + file_ + " (it is unchanged)");
}

void ExifCommands::read() const {
    const LibExifFileWrapper tags(file_, LibExifFileWrapper::Reading::kTagsOnly);
    if (!tags.isJpeg()) throw CliError::failure(tags.lastError());
    const auto position = ExifReader::positionIn(tags);
    if (!position) {
        *context_.out << "none\n";
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6f %.6f", position->latitude, position->longitude);
    *context_.out << text << '\n';
}

void ExifCommands::dump() const {
    const LibExifFileWrapper wrapper(file_, LibExifFileWrapper::Reading::kTagsOnly);
    if (!wrapper.isJpeg()) throw CliError::failure(wrapper.lastError());
    // The comment as its text, whole (the library's rendering stops at 1 KiB).
    const auto comment = ExifReader::userCommentIn(wrapper);
    for (const auto& ifd : wrapper.imageFileDirectories())
        for (const auto& entry : ifd.ifdEntries) {
            const bool isComment = comment && ifd.ifdName == "EXIF" && entry->entry()->tag == EXIF_TAG_USER_COMMENT;
            *context_.out << ifd.ifdName << '\t' << entry->tagName() << '\t'
                          << oneLine(isComment ? *comment : entry->value()) << '\n';
        }
}

}  // namespace kestrel::cli
