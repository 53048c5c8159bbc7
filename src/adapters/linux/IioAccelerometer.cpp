#include "adapters/linux/IioAccelerometer.h"

#include "core/platform/Log.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace kestrel {
namespace {

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::string text;
    std::getline(in, text);
    if (in.bad()) return std::nullopt;
    return text;
}

std::optional<double> parseNumber(const std::string& text) {
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    while (*end == ' ' || *end == '\n' || *end == '\t')
        ++end;
    if (*end != '\0') return std::nullopt;
    return value;
}

bool hasAccelChannels(const std::filesystem::path& device) {
    std::error_code ec;
    for (const char* axis : {"x", "y", "z"})
        if (!std::filesystem::exists(device / (std::string("in_accel_") + axis + "_raw"), ec))
            return false;
    return true;
}

}  // namespace

std::optional<IioAccelerometer::Matrix> IioAccelerometer::parseMountMatrix(
    const std::string& text) {
    // Three rows separated by ';', three numbers per row separated by ','.
    Matrix m{};
    std::size_t count = 0;
    std::istringstream rows(text);
    for (std::string row; std::getline(rows, row, ';');) {
        std::istringstream items(row);
        std::size_t inRow = 0;
        for (std::string item; std::getline(items, item, ',');) {
            const auto value = parseNumber(item);
            if (!value || count == m.size()) return std::nullopt;
            m[count++] = *value;
            ++inRow;
        }
        if (inRow != 3) return std::nullopt;
    }
    if (count != m.size()) return std::nullopt;
    return m;
}

std::unique_ptr<IioAccelerometer> IioAccelerometer::find(RunLoop& loop,
                                                         const std::filesystem::path& root,
                                                         std::string* error) {
    std::error_code ec;
    std::vector<std::filesystem::path> devices;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec))
        if (entry.path().filename().string().starts_with("iio:device"))
            devices.push_back(entry.path());
    std::sort(devices.begin(), devices.end());
    for (const auto& device : devices)
        if (hasAccelChannels(device)) return std::make_unique<IioAccelerometer>(loop, device);
    if (error)
        *error = ec ? root.string() + ": " + ec.message()
                    : "no IIO accelerometer under " + root.string();
    return nullptr;
}

IioAccelerometer::IioAccelerometer(RunLoop& loop, std::filesystem::path device)
    : loop_(&loop), device_(std::move(device)), timer_(loop) {
    for (const char* name : {"in_accel_mount_matrix", "mount_matrix"}) {
        const auto text = readFile(device_ / name);
        if (!text) continue;
        if (const auto matrix = parseMountMatrix(*text))
            mount_ = *matrix;
        else
            Log::warning("IIO accelerometer: ignoring the malformed mount matrix in " +
                         (device_ / name).string());
        break;
    }
}

std::optional<double> IioAccelerometer::readNumber(const std::string& name) const {
    const auto text = readFile(device_ / name);
    return text ? parseNumber(*text) : std::nullopt;
}

double IioAccelerometer::channelScale(char axis) const {
    if (const auto own = readNumber(std::string("in_accel_") + axis + "_scale")) return *own;
    return readNumber("in_accel_scale").value_or(1.0);
}

double IioAccelerometer::channelOffset(char axis) const {
    if (const auto own = readNumber(std::string("in_accel_") + axis + "_offset")) return *own;
    return readNumber("in_accel_offset").value_or(0.0);
}

std::optional<std::array<float, 3>> IioAccelerometer::read() const {
    std::array<double, 3> sensor{};
    const char axes[] = {'x', 'y', 'z'};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto raw = readNumber(std::string("in_accel_") + axes[i] + "_raw");
        if (!raw) return std::nullopt;
        sensor[i] = (*raw + channelOffset(axes[i])) * channelScale(axes[i]);
    }
    std::array<float, 3> g{};
    for (std::size_t row = 0; row < 3; ++row) {
        const double value = mount_[row * 3] * sensor[0] + mount_[row * 3 + 1] * sensor[1] +
                             mount_[row * 3 + 2] * sensor[2];
        g[row] = static_cast<float>(-value / kStandardGravity);
    }
    return g;
}

void IioAccelerometer::setUpdateInterval(double seconds) {
    interval_ = seconds > 0 ? seconds : 0.1;
    restart();
}

void IioAccelerometer::setDelegate(Delegate delegate) {
    delegate_ = std::move(delegate);
    restart();
}

void IioAccelerometer::restart() {
    timer_.stop();
    if (!delegate_) return;
    timer_.startRepeating(RunLoop::seconds(interval_), [this] {
        const auto sample = read();
        if (!sample) {
            if (!failing_) Log::warning("IIO accelerometer: cannot read " + device_.string());
            failing_ = true;
            return;
        }
        failing_ = false;
        if (delegate_) delegate_((*sample)[0], (*sample)[1], (*sample)[2]);
    });
}

}  // namespace kestrel
