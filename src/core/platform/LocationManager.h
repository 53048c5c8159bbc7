#pragma once

#include "core/platform/GeoPosition.h"

namespace kestrel {

// The platform's location service: positions arrive through the delegate on
// the main run loop's thread once updates are started.
class LocationManager {
public:
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual void didUpdateToLocation(const GeoPosition& position) = 0;
        virtual void didFailWithError() = 0;
    };

    virtual ~LocationManager() = default;
    virtual bool locationServicesEnabled() const = 0;
    virtual void setDelegate(Delegate* delegate) = 0;
    virtual void startUpdatingLocation() = 0;
};

}  // namespace kestrel
