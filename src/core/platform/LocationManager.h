#pragma once

#include "core/platform/GeoPosition.h"

namespace kestrel {

// The platform's location service: positions arrive through the delegate on
// the main run loop's thread once updates are started. Many services report
// only when the position changes, so a device that does not move hears
// nothing new; requestUpdate() asks where it is now.
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
    // How often the service should report while updating: a hint, which a
    // service that reports only changes may take as the least spacing.
    virtual void setUpdateInterval(double seconds) = 0;
    // Asks once for the current position, changed or not; it comes through
    // the delegate stamped no earlier than the request (or a failure comes).
    virtual void requestUpdate() = 0;
};

}  // namespace kestrel
