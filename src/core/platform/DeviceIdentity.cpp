#include "core/platform/DeviceIdentity.h"

#include <fstream>
#include <sstream>
#include <sys/utsname.h>

namespace kestrel {
namespace {

// The first line (or the first NUL-terminated string) of a small file,
// trimmed; empty when it cannot be read.
std::string firstString(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string text(256, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    text = text.substr(0, text.find_first_of(std::string("\n\0", 2)));
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

DeviceIdentity DeviceIdentity::fromSystem(const std::filesystem::path& root) {
    const std::string treeModel = firstString(root / "proc/device-tree/model");
    if (!treeModel.empty()) {
        // "pine64,pinephone-1.2": the vendor before the comma.
        const std::string compatible = firstString(root / "proc/device-tree/compatible");
        const auto comma = compatible.find(',');
        const std::string vendor = comma == std::string::npos ? std::string() : compatible.substr(0, comma);
        return {vendor.empty() ? treeModel.substr(0, treeModel.find(' ')) : vendor, treeModel};
    }
    const std::string vendor = firstString(root / "sys/class/dmi/id/sys_vendor");
    const std::string product = firstString(root / "sys/class/dmi/id/product_name");
    if (!vendor.empty() || !product.empty())
        return {vendor.empty() ? "Kestrel" : vendor, product.empty() ? vendor : product};
    utsname names{};
    return {"Kestrel", ::uname(&names) == 0 ? names.machine : "Linux"};
}

}  // namespace kestrel
