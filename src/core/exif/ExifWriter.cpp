#include "core/exif/ExifWriter.h"

#include "core/exif/LibExifFileWrapper.h"
#include "core/platform/Log.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace kestrel {
namespace {

std::string format(const char* pattern, long a, long b, long c) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

long truncated(double value) { return static_cast<long>(std::trunc(value)); }

}  // namespace

ExifWriter::ExifWriter(std::filesystem::path file)
    : file_(std::move(file)), identity_(DeviceIdentity::fromSystem()) {}

bool ExifWriter::writePhoto(const std::filesystem::path& file, const LocationSource* source) {
    return ExifWriter(file).write(source);
}

bool ExifWriter::writePhoto(const std::filesystem::path& file, const GeoPosition& position) {
    return ExifWriter(file).write(position);
}

bool ExifWriter::write(const LocationSource* source) {
    return stamp(source ? source->currentLocation() : std::nullopt, Form::kSeconds);
}

bool ExifWriter::write(const GeoPosition& position) { return stamp(position, Form::kMinutes); }

std::optional<std::vector<std::uint8_t>> ExifWriter::stamped(std::span<const std::uint8_t> jpeg,
                                                             const LocationSource* source) {
    return stampBytes(jpeg, source ? source->currentLocation() : std::nullopt, Form::kSeconds);
}

std::optional<std::vector<std::uint8_t>> ExifWriter::stamped(std::span<const std::uint8_t> jpeg,
                                                             const GeoPosition& position) {
    return stampBytes(jpeg, position, Form::kMinutes);
}

std::string ExifWriter::gpsText(float coordinate) {
    const double x = std::fabs(static_cast<double>(coordinate));
    const long d = truncated(x);
    const double f = x - static_cast<double>(d);
    const long m = truncated(f * 60.0);
    const long s100 = truncated((f - static_cast<double>(m) / 60.0) * 360000.0);
    return format("%ld 1 %ld 1 %ld 100", d, m, s100);
}

std::string ExifWriter::minutesText(double coordinate) {
    const double x = std::fabs(coordinate);
    const long d = truncated(x);
    const long m100 = truncated((x - static_cast<double>(d)) * 6000.0);
    return format("%ld 1 %ld 100 0 1", d, m100, 0);
}

std::string ExifWriter::dateText(Clock::time_point when) {
    const std::time_t t = Clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    // The calendar year: a week-based year is wrong in the last days of December.
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

std::string ExifWriter::subSecondText(Clock::time_point when) {
    const auto second = std::chrono::floor<std::chrono::seconds>(when);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - second).count();
    char text[8];
    std::snprintf(text, sizeof text, "%03d", static_cast<int>(ms));
    return text;
}

std::string ExifWriter::timeStampText(Clock::time_point when) {
    const std::time_t t = Clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&t, &utc);  // EXIF's GPSTimeStamp is UTC
    return format("%ld 1 %ld 1 %ld 1", utc.tm_hour, utc.tm_min, utc.tm_sec);
}

void ExifWriter::createTags(LibExifFileWrapper& wrapper, const std::optional<GeoPosition>& position,
                            Form form) {
    const std::string date = dateText(now_.value_or(Clock::now()));
    bool complete = true;
    auto create = [&](const std::string& value, const char* tag, const char* ifd) {
        if (!wrapper.createEntry(value, tag, ifd)) complete = false;
    };
    create(identity_.make, "Make", "0");
    create(identity_.model, "Model", "0");
    create(date, "DateTime", "0");
    if (origin_.taken) {
        // The whole second the picture was taken in, and how far into it.
        create(dateText(std::chrono::floor<std::chrono::seconds>(*origin_.taken)), "DateTimeOriginal", "EXIF");
        create(subSecondText(*origin_.taken), "SubSecTimeOriginal", "EXIF");
    } else {
        create(date, "DateTimeOriginal", "EXIF");
    }
    create(date, "DateTimeDigitized", "EXIF");
    if (const std::string comment = origin_.comment(); !comment.empty()) {
        // One comment, where it belongs: another writer's may sit elsewhere.
        for (const char* ifd : {"0", "1", "GPS", "Interoperability"})
            wrapper.removeEntry("UserComment", ifd);
        create(comment, "UserComment", "EXIF");
    }
    if (position) {
        auto coordinate = [form](double value) {
            return form == Form::kMinutes ? minutesText(value) : gpsText(static_cast<float>(value));
        };
        create(position->latitude >= 0 ? "N" : "S", "GPSLatitudeRef", "GPS");
        create(coordinate(position->latitude), "GPSLatitude", "GPS");
        create(position->longitude >= 0 ? "E" : "W", "GPSLongitudeRef", "GPS");
        create(coordinate(position->longitude), "GPSLongitude", "GPS");
        create(timeStampText(position->timestamp), "GPSTimeStamp", "GPS");
    }
    if (!complete) Log::warning("EXIF: some tags of " + file_.string() + " could not be made");
}

bool ExifWriter::stamp(const std::optional<GeoPosition>& position, Form form) {
    LibExifFileWrapper wrapper(file_);
    if (!wrapper.isJpeg()) {
        Log::error("EXIF: cannot stamp " + file_.string() + ": " + wrapper.lastError());
        return false;
    }
    createTags(wrapper, position, form);
    return wrapper.saveImageFile();
}

std::optional<std::vector<std::uint8_t>> ExifWriter::stampBytes(std::span<const std::uint8_t> jpeg,
                                                                const std::optional<GeoPosition>& position,
                                                                Form form) {
    LibExifFileWrapper wrapper(jpeg, file_);
    if (!wrapper.isJpeg()) {
        Log::error("EXIF: cannot stamp " + file_.string() + ": " + wrapper.lastError());
        return std::nullopt;
    }
    createTags(wrapper, position, form);
    return wrapper.saveImageBytes();
}

}  // namespace kestrel
