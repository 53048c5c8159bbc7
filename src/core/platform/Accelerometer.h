#pragma once

#include <functional>

namespace kestrel {

// The device's accelerometer: samples of x, y, z in g, delivered to one
// delegate on the main run loop at about the requested interval.
class Accelerometer {
public:
    using Delegate = std::function<void(float x, float y, float z)>;

    virtual ~Accelerometer() = default;
    virtual void setUpdateInterval(double seconds) = 0;
    // Replaces the delegate; an empty one detaches it.
    virtual void setDelegate(Delegate delegate) = 0;
    // Whether there is one at all: a laptop or desktop usually has none.
    virtual bool isAvailable() const { return true; }
};

}  // namespace kestrel
