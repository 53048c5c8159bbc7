#pragma once

#include <filesystem>
#include <string>

namespace kestrel {

// The maker and model of the device the pictures are taken with, as EXIF's
// Make and Model tags carry them.
struct DeviceIdentity {
    std::string make;
    std::string model;

    // From the firmware's description of the machine: the device tree's model
    // and compatible strings (phones, boards), else DMI's vendor and product
    // (laptops); "Kestrel" and the machine's architecture when neither says.
    static DeviceIdentity fromSystem(const std::filesystem::path& root = "/");
};

}  // namespace kestrel
