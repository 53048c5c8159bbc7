#include "core/imaging/CairoSurface.h"

namespace kestrel {
namespace {

cairo_surface_t* wrap(const Bitmap& bitmap) {
    const cairo_format_t format =
        bitmap.format() == Bitmap::Format::kBGRA ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    // Cairo takes a mutable pointer even for surfaces it only reads from.
    return cairo_image_surface_create_for_data(const_cast<unsigned char*>(bitmap.data()), format,
                                               bitmap.width(), bitmap.height(),
                                               static_cast<int>(bitmap.bytesPerRow()));
}

}  // namespace

CairoSurface::CairoSurface(Bitmap& bitmap) : surface_(wrap(bitmap)) {}
CairoSurface::CairoSurface(const Bitmap& bitmap) : surface_(wrap(bitmap)) {}
CairoSurface::~CairoSurface() { cairo_surface_destroy(surface_); }

}  // namespace kestrel
