#include "core/imaging/PhotoProcessor.h"

#include "core/imaging/ImageDraw.h"
#include "core/imaging/NightVisionEffect.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

double PhotoProcessor::timeStampFontSize(Size size, float ratio, bool tilt) {
    float side = size.width;
    if (tilt) side = size.width > size.height ? size.height / ratio : size.height;
    return static_cast<double>(side) * 0.04;
}

Image PhotoProcessor::processPhoto(Image image, float zoom, const PhotoSettings& settings) {
    if (!image) return {};
    if (!settings.fullSizePhoto)
        image = ImageDraw::smartResize(image, Size{kReducedWidth, kReducedHeight});
    if (zoom == 1.0f && !settings.modifiedImage() && !settings.tilt) return image;

    const auto ratio = static_cast<float>(Camera1Data::getAspectRatio(settings.ratio));
    std::optional<Font> font;
    if (settings.timeStamp)
        font = Font{timeStampFontSize(image.size(), ratio, settings.tilt), true};
    const int colorMode = settings.modification == kNightVision ? 0 : settings.modification;

    Image composed =
        settings.tilt
            ? ImageDraw::tilt(image.bitmap(), image.orientation(), ratio, settings.timeStamp, font,
                              colorMode, kLineWidth)
            : ImageDraw::draw(image.bitmap(), image.orientation(), ratio, zoom, settings.timeStamp,
                              font, colorMode, kLineWidth);
    if (settings.modification != kNightVision) return composed;

    image = Image();  // the source is no longer needed: at most two bitmaps alive
    NightVisionEffect effect;
    effect.resetProcessor();
    effect.setImage(std::move(composed));
    return effect.applyEffect();
}

}  // namespace kestrel
