#include "core/store/DiskStamp.h"

#include <ctime>
#include <sys/stat.h>

namespace kestrel {
namespace {

std::int64_t nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

}  // namespace

DiskStamp DiskStamp::of(const std::string& path) {
    DiskStamp stamp;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    stamp.takenNs = nanoseconds(now);
    struct stat attributes {};
    if (::stat(path.c_str(), &attributes) != 0) return stamp;
    stamp.exists = true;
    stamp.device = attributes.st_dev;
    stamp.inode = attributes.st_ino;
    stamp.modifiedNs = nanoseconds(attributes.st_mtim);
    stamp.changedNs = nanoseconds(attributes.st_ctim);
    stamp.size = attributes.st_size;
    return stamp;
}

bool DiskStamp::recent() const {
    if (!exists) return false;
    const std::int64_t window = std::chrono::nanoseconds(kCoarseness).count();
    // A clock set back makes every time look recent: then nothing is trusted.
    return takenNs - modifiedNs < window;
}

}  // namespace kestrel
