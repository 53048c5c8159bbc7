#include "core/modes/CameraDlxHandler.h"

#include "core/imaging/ImageDraw.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

void CameraDlxHandler::photo() {
    if (controller()) controller()->photo(static_cast<bool>(image1_));
}

void CameraDlxHandler::firstPhoto(const Image& image, float zoom) {
    image1_ = CameraHandler::processPhoto(image, zoom);
    trace("first exposure held");
}

void CameraDlxHandler::ready() {
    CameraHandler::ready();
    if (controller()) controller()->overlay(image1_);
}

Image CameraDlxHandler::processPhoto(const Image& image, float zoom) {
    return mergeWith(CameraHandler::processPhoto(image, zoom));
}

Image CameraDlxHandler::mergeWith(const Image& image) {
    return ImageDraw::simplyMerge(image1_, image);
}

void CameraDlxHandler::cancel() {
    image1_ = Image();
    if (controller()) controller()->overlay(Image());
    trace("first exposure dropped");
}

void CameraDlxHandler::reset() {
    CameraHandler::reset();
    image1_ = Image();
}

bool Camera3dHandler::channels() {
    const Camera1Data* settings = Camera1Data::data();
    return settings && settings->anaglyph().color();
}

int Camera3dHandler::modification() const {
    // Red for the first exposure, cyan for the second.
    if (!image1()) return channels() ? 6 : 4;
    return channels() ? 7 : 5;
}

Image Camera3dHandler::mergeWith(const Image& image) {
    return channels() ? ImageDraw::channelMerge(image1(), image)
                      : CameraDlxHandler::mergeWith(image);
}

}  // namespace kestrel
