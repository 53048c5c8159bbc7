#include "sim/NmeaLocationManager.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

std::vector<std::string> fields(const std::string& body) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(body);
    while (std::getline(in, field, ','))
        out.push_back(field);
    if (!body.empty() && body.back() == ',') out.emplace_back();
    return out;
}

// "4807.038" with "N" → 48.1173; none for an empty or malformed value.
std::optional<double> degrees(const std::string& value, const std::string& hemisphere,
                              int degreeDigits) {
    if (value.size() < static_cast<std::size_t>(degreeDigits) + 2) return std::nullopt;
    char* end = nullptr;
    const double whole = std::strtod(value.c_str(), &end);
    if (*end != '\0' || whole < 0) return std::nullopt;
    const double deg = static_cast<int>(whole / 100);
    const double minutes = whole - deg * 100;
    if (minutes >= 60) return std::nullopt;
    const double sign = hemisphere == "S" || hemisphere == "W" ? -1 : 1;
    if (hemisphere != "N" && hemisphere != "S" && hemisphere != "E" && hemisphere != "W")
        return std::nullopt;
    return sign * (deg + minutes / 60);
}

std::optional<double> secondsOfDay(const std::string& hhmmss) {
    if (hhmmss.size() < 6) return std::nullopt;
    const int h = std::atoi(hhmmss.substr(0, 2).c_str());
    const int m = std::atoi(hhmmss.substr(2, 2).c_str());
    const double s = std::strtod(hhmmss.substr(4).c_str(), nullptr);
    if (h > 23 || m > 59 || s >= 61) return std::nullopt;
    return h * 3600 + m * 60 + s;
}

}  // namespace

std::optional<NmeaLocationManager::Fix> NmeaLocationManager::parseSentence(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    const std::size_t star = line.rfind('*');
    if (line.size() < 7 || line[0] != '$' || star == std::string::npos || star + 3 != line.size())
        return std::nullopt;
    unsigned checksum = 0;
    for (std::size_t i = 1; i < star; ++i)
        checksum ^= static_cast<unsigned char>(line[i]);
    if (std::strtoul(line.substr(star + 1).c_str(), nullptr, 16) != checksum) return std::nullopt;
    const std::vector<std::string> f = fields(line.substr(1, star - 1));
    if (f.empty() || f[0].size() != 5) return std::nullopt;
    const std::string type = f[0].substr(2);
    std::optional<double> time, lat, lon;
    if (type == "RMC" && f.size() >= 7) {
        if (f[2] != "A") return std::nullopt;  // receiver warning: no fix
        time = secondsOfDay(f[1]);
        lat = degrees(f[3], f[4], 2);
        lon = degrees(f[5], f[6], 3);
    } else if (type == "GGA" && f.size() >= 7) {
        if (f[6].empty() || f[6] == "0") return std::nullopt;  // fix quality: invalid
        time = secondsOfDay(f[1]);
        lat = degrees(f[2], f[3], 2);
        lon = degrees(f[4], f[5], 3);
    } else {
        return std::nullopt;
    }
    if (!time || !lat || !lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 180)
        return std::nullopt;
    return Fix{*time, *lat, *lon};
}

std::optional<std::vector<NmeaLocationManager::Fix>> NmeaLocationManager::readLog(
    const std::filesystem::path& file, std::string* error) {
    std::ifstream in(file);
    if (!in) {
        if (error) *error = "cannot read " + file.string();
        return std::nullopt;
    }
    std::vector<Fix> fixes;
    for (std::string line; std::getline(in, line);) {
        const auto fix = parseSentence(line);
        // A receiver sends RMC and GGA for the same instant: keep one.
        if (fix && (fixes.empty() || fixes.back().secondsOfDay != fix->secondsOfDay))
            fixes.push_back(*fix);
    }
    if (fixes.empty()) {
        if (error) *error = file.string() + " holds no valid RMC or GGA fix";
        return std::nullopt;
    }
    return fixes;
}

NmeaLocationManager::NmeaLocationManager(RunLoop& loop, std::vector<Fix> fixes)
    : fixes_(std::move(fixes)), timer_(loop), answer_(loop) {}

void NmeaLocationManager::startUpdatingLocation() {
    if (started_ || fixes_.empty()) {
        if (fixes_.empty())  // on a timer, which goes with the service
            answer_.start(RunLoop::Duration{0}, [this] {
                if (delegate_) delegate_->didFailWithError();
            });
        return;
    }
    started_ = true;
    timer_.start(RunLoop::Duration{0}, [this] { report(0); });
}

void NmeaLocationManager::requestUpdate() {
    // Before the replay's first fix there is nothing to answer; it is on its way.
    if (!reported_) return;
    answer_.start(RunLoop::Duration{0}, [this] { tell(fixes_[*reported_]); });
}

void NmeaLocationManager::tell(const Fix& fix) {
    if (delegate_)
        delegate_->didUpdateToLocation(
            GeoPosition{fix.latitude, fix.longitude, std::chrono::system_clock::now()});
}

void NmeaLocationManager::report(std::size_t index) {
    const Fix& fix = fixes_[index];
    reported_ = index;
    tell(fix);
    if (index + 1 >= fixes_.size()) return;
    double gap = fixes_[index + 1].secondsOfDay - fix.secondsOfDay;
    if (gap < 0) gap += 24 * 3600;  // past midnight
    timer_.start(RunLoop::seconds(gap), [this, index] { report(index + 1); });
}

}  // namespace kestrel
