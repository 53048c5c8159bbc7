#include "core/modes/CameraDlxHandler.h"

#include "core/imaging/ImageDraw.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

void CameraDlxHandler::photo() {
    if (controller()) controller()->photo(static_cast<bool>(image1_));
}

CameraHandler::Recipe CameraDlxHandler::firstRecipe(float zoom) {
    return CameraHandler::finalRecipe(zoom);  // the first exposure as a photo of its own
}

void CameraDlxHandler::keepFirstPhoto(const Image& processed) {
    image1_ = processed;
    trace("first exposure held");
}

void CameraDlxHandler::ready() {
    CameraHandler::ready();
    if (controller()) controller()->overlay(image1_);
}

CameraHandler::Recipe CameraDlxHandler::finalRecipe(float zoom) {
    return [second = CameraHandler::finalRecipe(zoom), first = image1_,
            merge = merge()](const Image& picture) { return merge(first, second(picture)); };
}

CameraDlxHandler::Merge CameraDlxHandler::merge() const {
    return [](const Image& first, const Image& second) {
        return ImageDraw::simplyMerge(first, second);
    };
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

std::string Camera3dHandler::reason() const {
    return channels() ? "anaglyph 3D, red and cyan by channel" : "anaglyph 3D, red and cyan";
}

CameraDlxHandler::Merge Camera3dHandler::merge() const {
    if (!channels()) return CameraDlxHandler::merge();
    return [](const Image& first, const Image& second) {
        return ImageDraw::channelMerge(first, second);
    };
}

}  // namespace kestrel
