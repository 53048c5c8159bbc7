#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace kestrel {

// One photo file of the DCIM tree: its path and photo number, and what is
// loaded on first need (its modification date, its GPS position).
class CameraRollFileInfo {
public:
    using Date = std::chrono::system_clock::time_point;

    CameraRollFileInfo(std::string file, int fileSequence)
        : file_(std::move(file)), fileSequence_(fileSequence) {}

    const std::string& file() const { return file_; }
    int fileSequence() const { return fileSequence_; }

    // The modification date, read at most once; none when it cannot be read.
    const std::optional<Date>& getDate();
    // A date already read with the folder's listing.
    void setDate(std::optional<Date> date) {
        date_ = date;
        dateLoaded_ = true;
    }
    // Whether a ".THM" lies beside the photo, when the folder's listing said.
    void setThumbnailBeside(bool beside) { thumbnailBeside_ = beside; }
    // Oldest first, photos of one date by name; photos without a date come
    // before all others.
    static bool earlier(CameraRollFileInfo& a, CameraRollFileInfo& b);

    // The ".THM" beside the photo when it exists, else the one in ".MISC".
    std::string thumbnailFile() const;

    // Reads the GPS position once.
    void locate();
    bool locationLoaded() const { return locationLoaded_; }
    bool hasLocation() const { return hasLocation_; }
    float latitude() const { return latitude_; }
    float longitude() const { return longitude_; }
    std::pair<double, double> coordinate() const { return {latitude_, longitude_}; }
    static std::string title() { return " "; }

    // The photo number of a name: the integer value of the three characters
    // from index 5 (IMG_1023.JPG gives 23), or the last three digits of a
    // longer number (IMG_10001.JPG gives 1).
    static int getFileSequence(const std::string& name);

private:
    std::string file_;
    int fileSequence_;
    bool dateLoaded_ = false;
    std::optional<Date> date_;
    std::optional<bool> thumbnailBeside_;
    bool locationLoaded_ = false;
    bool hasLocation_ = false;
    float latitude_ = 0;
    float longitude_ = 0;
};

}  // namespace kestrel
