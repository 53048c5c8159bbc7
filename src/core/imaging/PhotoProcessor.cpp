#include "core/imaging/PhotoProcessor.h"

#include "core/imaging/ImageDraw.h"
#include "core/imaging/JpegCodec.h"
#include "core/imaging/JpegRegionDecoder.h"
#include "core/imaging/NightVisionEffect.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// Beyond the pixels the drawing samples (bilinear: one more on each side),
// a margin that keeps the decoder's edge effects (chroma upsampling at the
// cut) off the canvas.
constexpr double kRegionMargin = 18;
// A region this large a share of the picture is decoded whole.
constexpr double kWholeShare = 0.8;

// A region of the upright picture (top-left origin) in the stored layout
// of orientation `o` for a stored picture of w × h, and back.
PixelRect uprightToStored(PixelRect u, int o, int w, int h) {
    switch (o) {
    case Image::kDown: return {w - u.x - u.width, h - u.y - u.height, u.width, u.height};
    case Image::kLeft: return {w - u.y - u.height, u.x, u.height, u.width};
    case Image::kRight: return {u.y, h - u.x - u.width, u.height, u.width};
    case Image::kUpMirrored: return {w - u.x - u.width, u.y, u.width, u.height};
    case Image::kDownMirrored: return {u.x, h - u.y - u.height, u.width, u.height};
    case Image::kLeftMirrored: return {u.y, u.x, u.height, u.width};
    case Image::kRightMirrored: return {w - u.y - u.height, h - u.x - u.width, u.height, u.width};
    default: return u;
    }
}

}  // namespace

double PhotoProcessor::timeStampFontSize(Size size, float ratio, bool tilt) {
    float side = size.width;
    if (tilt) side = size.width > size.height ? size.height / ratio : size.height;
    return static_cast<double>(side) * 0.04;
}

Image PhotoProcessor::processPhoto(Image image, float zoom, const PhotoSettings& settings) {
    if (!image) return {};
    if (!settings.fullSizePhoto)
        image = ImageDraw::fitResize(image, Size{kReducedWidth, kReducedHeight});
    if (zoom == 1.0f && !settings.modifiedImage() && !settings.tilt) return image;

    // The first ratio is the camera's own shape ("Normal"): a zoom keeps the
    // frame's shape whatever the camera gives, 4:3 or 16:9.
    const Size upright = image.size();
    const float ratio = settings.ratioChosen || settings.tilt ? settings.aspectRatio
                                                             : upright.width / upright.height;
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

std::optional<Image> PhotoProcessor::processJpeg(std::span<const std::uint8_t> jpeg, float zoom,
                                                 const PhotoSettings& settings,
                                                 std::optional<int> orientation, std::string* error) {
    const auto header = JpegCodec::readHeader(jpeg, error);
    if (!header) return std::nullopt;
    const int o = orientation.value_or(header->orientation);
    auto whole = [&]() -> std::optional<Image> {
        // Reducing needs no more than 640 pixels a side: the decoder scales.
        auto decoded = settings.fullSizePhoto
                           ? JpegCodec::decode(jpeg, 1, error)
                           : JpegCodec::decodeAtLeast(jpeg, static_cast<int>(kReducedWidth),
                                                      static_cast<int>(kReducedWidth), error);
        if (!decoded) return std::nullopt;
        return processPhoto(decoded->withOrientation(o), zoom, settings);
    };
    const bool composes = zoom != 1.0f || settings.modifiedImage() || settings.tilt;
    if (!settings.fullSizePhoto || settings.tilt || !composes || zoom < 1.0f) return whole();

    // Which part of the upright picture the canvas shows.
    const bool turned = Image::swapsSides(o);
    const Size picture = turned ? Size{float(header->height), float(header->width)}
                                : Size{float(header->width), float(header->height)};
    // The part is composed as the whole picture is: the first ratio is the
    // whole picture's own shape, not the part's.
    PhotoSettings partSettings = settings;
    if (!settings.ratioChosen) {
        partSettings.aspectRatio = picture.width / picture.height;
        partSettings.ratioChosen = true;
    }
    const ImageDraw::Composition c = ImageDraw::composition(picture, partSettings.aspectRatio, zoom);
    const Rect lands = ImageDraw::landing(c.drawRect, o, c.output);
    const double sx = double(lands.width) / picture.width;
    const double sy = double(lands.height) / picture.height;
    // Colour mode 9 also draws the picture shifted by the line width.
    const double shift = settings.modification == 9 ? kLineWidth : 0.0;
    const double margin = kRegionMargin;
    const double left = (-shift - lands.x) / sx - margin;
    const double right = (c.output.width + shift - lands.x) / sx + margin;
    const double top = picture.height - (c.output.height + shift - lands.y) / sy - margin;
    const double bottom = picture.height - (-shift - lands.y) / sy + margin;
    const int x0 = static_cast<int>(std::clamp(std::floor(left), 0.0, double(picture.width)));
    const int x1 = static_cast<int>(std::clamp(std::ceil(right), 0.0, double(picture.width)));
    const int y0 = static_cast<int>(std::clamp(std::floor(top), 0.0, double(picture.height)));
    const int y1 = static_cast<int>(std::clamp(std::ceil(bottom), 0.0, double(picture.height)));
    const PixelRect wanted{x0, y0, x1 - x0, y1 - y0};
    if (wanted.empty() ||
        double(wanted.width) * wanted.height > kWholeShare * double(picture.width) * picture.height)
        return whole();

    auto region = JpegRegionDecoder::decode(
        jpeg, uprightToStored(wanted, o, header->width, header->height), error);
    if (!region) return std::nullopt;
    // Drawn as the whole picture is: the decoded part covers every pixel the
    // drawing samples.
    return processPhoto(Image(std::move(region->bitmap), o), zoom, partSettings);
}

}  // namespace kestrel
