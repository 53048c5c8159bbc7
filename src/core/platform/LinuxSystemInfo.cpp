#include "core/platform/LinuxSystemInfo.h"

#include "core/platform/Log.h"

#include <cerrno>
#include <cstring>
#include <sys/utsname.h>

namespace kestrel {
namespace {

bool readUname(utsname& names) {
    if (::uname(&names) == 0) return true;
    Log::warning(std::string("system information: uname failed: ") + std::strerror(errno));
    return false;
}

}  // namespace

std::string LinuxSystemInfo::systemVersion() const {
    utsname names{};
    return readUname(names) ? names.release : "";
}

std::string LinuxSystemInfo::machineIdentifier() const {
    utsname names{};
    return readUname(names) ? names.machine : "";
}

}  // namespace kestrel
