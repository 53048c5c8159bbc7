#pragma once

#include "core/base/Bitmap.h"

#include <cairo.h>

namespace kestrel {

// A Cairo image surface over a bitmap's own pixels (no copy): kBGRX is
// CAIRO_FORMAT_RGB24, kBGRA is CAIRO_FORMAT_ARGB32 on little-endian machines.
// The bitmap must outlive the surface. Cairo never writes to a surface used
// only as a source, so a const bitmap may be wrapped for reading.
class CairoSurface {
public:
    explicit CairoSurface(Bitmap& bitmap);
    explicit CairoSurface(const Bitmap& bitmap);
    ~CairoSurface();
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;

    cairo_surface_t* get() const { return surface_; }
    bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }

private:
    cairo_surface_t* surface_;
};

}  // namespace kestrel
