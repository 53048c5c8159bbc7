#pragma once

#include "core/platform/Accelerometer.h"

namespace kestrel {

// The accelerometer of a device that has none (most laptops and desktops):
// no sample ever comes, so the device stays in its natural orientation.
class AbsentAccelerometer final : public Accelerometer {
public:
    void setUpdateInterval(double) override {}
    void setDelegate(Delegate) override {}
    bool isAvailable() const override { return false; }
};

}  // namespace kestrel
