#include "core/imaging/PngCodec.h"

#include "core/imaging/CairoSurface.h"
#include "core/imaging/ImageResizer.h"

#include <cairo.h>

#include <cstring>

namespace kestrel {
namespace {

struct ReadCursor {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

cairo_status_t readChunk(void* closure, unsigned char* data, unsigned int length) {
    auto* cursor = static_cast<ReadCursor*>(closure);
    if (cursor->bytes.size() - cursor->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, cursor->bytes.data() + cursor->offset, length);
    cursor->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::vector<std::uint8_t>*>(closure)->insert(
        static_cast<std::vector<std::uint8_t>*>(closure)->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::optional<Image> PngCodec::decode(std::span<const std::uint8_t> png, std::string* error) {
    ReadCursor cursor{png};
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readChunk, &cursor);
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        if (error) *error = std::string("cannot read the PNG picture: ") +
                            cairo_status_to_string(cairo_surface_status(loaded));
        cairo_surface_destroy(loaded);
        return std::nullopt;
    }
    const int width = cairo_image_surface_get_width(loaded);
    const int height = cairo_image_surface_get_height(loaded);
    std::optional<Image> result;
    try {
        Bitmap bitmap(width, height);
        CairoSurface target(bitmap);
        cairo_t* cr = cairo_create(target.get());
        cairo_set_source_surface(cr, loaded, 0, 0);
        cairo_paint(cr);  // over black
        cairo_destroy(cr);
        cairo_surface_flush(target.get());
        result = Image(std::move(bitmap), Image::kUp);
    } catch (const std::exception& e) {
        if (error) *error = std::string("cannot hold the PNG picture: ") + e.what();
    }
    cairo_surface_destroy(loaded);
    return result;
}

std::optional<std::vector<std::uint8_t>> PngCodec::encode(const Image& image, std::string* error) {
    if (!image || image.bitmap().empty()) {
        if (error) *error = "no picture to encode";
        return std::nullopt;
    }
    const Image upright = ImageResizer::colorMatch(image, Size{0, 0});
    CairoSurface surface(upright.bitmap());
    std::vector<std::uint8_t> bytes;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface.get(), writeChunk, &bytes);
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error) *error = std::string("cannot write the PNG picture: ") + cairo_status_to_string(status);
        return std::nullopt;
    }
    return bytes;
}

}  // namespace kestrel
