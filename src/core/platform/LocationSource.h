#pragma once

#include "core/platform/GeoPosition.h"

#include <optional>

namespace kestrel {

// Where the device is, as far as it knows: the latest fix, or none.
// currentLocation() may be called from the saving thread.
class LocationSource {
public:
    virtual ~LocationSource() = default;
    virtual std::optional<GeoPosition> currentLocation() const = 0;
};

// A source that always answers the position it was given.
class FixedLocationSource final : public LocationSource {
public:
    explicit FixedLocationSource(std::optional<GeoPosition> position) : position_(position) {}
    std::optional<GeoPosition> currentLocation() const override { return position_; }

private:
    std::optional<GeoPosition> position_;
};

}  // namespace kestrel
