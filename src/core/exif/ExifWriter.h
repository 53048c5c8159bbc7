#pragma once

#include "core/exif/PhotoOrigin.h"
#include "core/platform/DeviceIdentity.h"
#include "core/platform/GeoPosition.h"
#include "core/platform/LocationSource.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

class LibExifFileWrapper;

// Stamps a saved JPEG file with Kestrel's EXIF tag set, in this order:
// Make, Model, DateTime (IFD "0"), DateTimeOriginal, DateTimeDigitized
// ("EXIF"), all with the moment of writing as "yyyy:MM:dd HH:mm:ss" local
// time; with a position, GPSLatitudeRef, GPSLatitude, GPSLongitudeRef,
// GPSLongitude and GPSTimeStamp ("GPS", the time of the fix in UTC).
//
// A photo Kestrel took also records its origin: DateTimeOriginal is then the
// moment the picture was taken, with SubSecTimeOriginal (its milliseconds)
// after it, and UserComment ("EXIF", character code ASCII) says why it was
// taken; a comment the file had, in whichever IFD, is replaced.
//
// Two forms for the coordinates: the minutes form (d/1, minutes in
// hundredths/100, 0/1) for a position the caller gives, the seconds form
// (d/1, m/1, seconds in hundredths/100) for the location source's position.
// A file that already holds one of these tags ends up with it once, with the
// new value. Made per file; one thread.
class ExifWriter {
public:
    using Clock = std::chrono::system_clock;

    explicit ExifWriter(std::filesystem::path file);

    // Tags 1–5, and 6–10 in the seconds form when the source knows a position.
    static bool writePhoto(const std::filesystem::path& file, const LocationSource* source);
    // Tags 1–10 in the minutes form.
    static bool writePhoto(const std::filesystem::path& file, const GeoPosition& position);

    // Answer whether the file now carries the tags (causes are logged).
    bool write(const LocationSource* source);
    bool write(const GeoPosition& position);

    // The same tags built into a photo still in memory, before its first
    // write: the very bytes write() would leave in a file holding `jpeg`
    // (file() only names the photo in messages). None, with the cause
    // logged, when `jpeg` is no JPEG Kestrel can account for.
    std::optional<std::vector<std::uint8_t>> stamped(std::span<const std::uint8_t> jpeg,
                                                     const LocationSource* source);
    std::optional<std::vector<std::uint8_t>> stamped(std::span<const std::uint8_t> jpeg,
                                                     const GeoPosition& position);

    void setIdentity(DeviceIdentity identity) { identity_ = std::move(identity); }
    // Why and when the photo was taken (none: only the moment of writing).
    void setOrigin(PhotoOrigin origin) { origin_ = std::move(origin); }
    // The moment of writing (tests pin it; by default the clock's now).
    void setNow(Clock::time_point now) { now_ = now; }
    const std::filesystem::path& file() const { return file_; }

    // Seconds form of |coordinate| (read in single precision).
    static std::string gpsText(float coordinate);
    // Minutes form of |coordinate|.
    static std::string minutesText(double coordinate);
    static std::string dateText(Clock::time_point when);
    // The milliseconds of `when` past its second, as three digits.
    static std::string subSecondText(Clock::time_point when);
    static std::string timeStampText(Clock::time_point when);

private:
    enum class Form { kMinutes, kSeconds };
    bool stamp(const std::optional<GeoPosition>& position, Form form);
    std::optional<std::vector<std::uint8_t>> stampBytes(std::span<const std::uint8_t> jpeg,
                                                        const std::optional<GeoPosition>& position,
                                                        Form form);
    void createTags(LibExifFileWrapper& wrapper, const std::optional<GeoPosition>& position, Form form);

    std::filesystem::path file_;
    DeviceIdentity identity_;
    PhotoOrigin origin_;
    std::optional<Clock::time_point> now_;
};

}  // namespace kestrel
