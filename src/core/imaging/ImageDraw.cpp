#include "core/imaging/ImageDraw.h"

#include "core/imaging/CairoSurface.h"
#include "core/imaging/ColorModeKernel.h"
#include "core/imaging/ParallelRows.h"
#include "core/platform/Log.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel {

struct ImageDraw::Canvas {
    explicit Canvas(Bitmap b) : bitmap(std::move(b)), surface(bitmap), cr(cairo_create(surface.get())) {
        // Bottom-left origin, y up, as the drawing code is written.
        cairo_translate(cr, 0, bitmap.height());
        cairo_scale(cr, 1, -1);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    }
    ~Canvas() { cairo_destroy(cr); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Bitmap bitmap;
    CairoSurface surface;
    cairo_t* cr;
    double alpha = 1.0;
};

namespace {

cairo_operator_t cairoOperator(BlendMode mode) {
    switch (mode) {
    case BlendMode::kNormal: return CAIRO_OPERATOR_OVER;
    case BlendMode::kMultiply: return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::kLighten: return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::kHardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case BlendMode::kDifference: return CAIRO_OPERATOR_DIFFERENCE;
    case BlendMode::kColor: return CAIRO_OPERATOR_HSL_COLOR;
    case BlendMode::kLuminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case BlendMode::kCopy: return CAIRO_OPERATOR_SOURCE;
    }
    return CAIRO_OPERATOR_OVER;
}

void selectFont(cairo_t* cr, const Font& font) {
    cairo_select_font_face(cr, font.family, CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.size);
}

// Single precision, as the composition arithmetic is specified.
float f(double value) { return static_cast<float>(value); }

// The whole picture through the orientation transform into `to`, on a
// context whose user space is the canvas's bottom-left space.
void paintPicture(cairo_t* cr, const Bitmap& bitmap, int orientation, Size size, Rect to,
                  double alpha) {
    if (bitmap.empty() || to.width == 0 || to.height == 0) return;
    const bool known = orientation >= 0 && orientation <= 7;
    const int turn = known ? orientation & 3 : 0;
    const bool mirrored = known && orientation >= 4;

    cairo_save(cr);
    Rect r = to;
    switch (turn) {
    case 1:
        cairo_translate(cr, size.width, size.height);
        cairo_rotate(cr, std::numbers::pi);
        break;
    case 2:
        cairo_translate(cr, size.width, 0);
        cairo_rotate(cr, std::numbers::pi / 2);
        r = Rect{to.y, to.x, to.height, to.width};
        break;
    case 3:
        cairo_translate(cr, 0, size.height);
        cairo_rotate(cr, -std::numbers::pi / 2);
        r = Rect{to.y, to.x, to.height, to.width};
        break;
    default:
        break;
    }
    // The stored picture, upright in r (its first row at the top of r); a
    // mirrored orientation flips it left to right before the turn.
    const double iw = bitmap.width();
    const double ih = bitmap.height();
    const double sx = iw / r.width;
    const double sy = ih / r.height;
    cairo_matrix_t toImage;
    if (mirrored)
        cairo_matrix_init(&toImage, -sx, 0, 0, -sy, iw + r.x * sx, (r.y + r.height) * sy);
    else
        cairo_matrix_init(&toImage, sx, 0, 0, -sy, -r.x * sx, (r.y + r.height) * sy);

    CairoSurface source(bitmap);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source.get());
    cairo_pattern_set_matrix(pattern, &toImage);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

// Rows [begin, end) of a canvas bitmap as a drawing context of their own, in
// the whole canvas's bottom-left space, so that bands of one picture can be
// drawn on several cores and come out as one drawing would.
class Band {
public:
    Band(Bitmap& bitmap, int begin, int end)
        : surface_(cairo_image_surface_create_for_data(
              bitmap.row(begin), CAIRO_FORMAT_RGB24, bitmap.width(), end - begin,
              static_cast<int>(bitmap.bytesPerRow()))),
          cr_(cairo_create(surface_)) {
        cairo_translate(cr_, 0, bitmap.height() - begin);
        cairo_scale(cr_, 1, -1);
    }
    ~Band() {
        cairo_destroy(cr_);
        cairo_surface_flush(surface_);
        cairo_surface_destroy(surface_);
    }
    Band(const Band&) = delete;
    Band& operator=(const Band&) = delete;
    cairo_t* context() const { return cr_; }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Whole pixels of `rect` (bottom-left points) in a canvas `height` rows
// high, rounded outward.
PixelRect pixelsOf(Rect rect, int height) {
    auto toInt = [](double v) {
        return static_cast<int>(std::clamp(v, -1.0, double(Bitmap::kMaxDimension) + 1));
    };
    const int left = toInt(std::floor(static_cast<double>(rect.x)));
    const int right = toInt(std::ceil(static_cast<double>(rect.x) + rect.width));
    const int top = toInt(std::floor(height - (static_cast<double>(rect.y) + rect.height)));
    const int bottom = toInt(std::ceil(height - static_cast<double>(rect.y)));
    return PixelRect{left, top, right - left, bottom - top};
}

// Rows [begin, end) of `region` only.
PixelRect rowsOf(PixelRect region, int begin, int end) {
    const int top = std::max(region.y, begin);
    const int bottom = std::min(region.y + region.height, end);
    return PixelRect{region.x, top, region.width, bottom - top};
}

}  // namespace

ImageDraw::ImageDraw() = default;
ImageDraw::~ImageDraw() = default;

bool ImageDraw::hasBitmap() const { return canvas_ != nullptr; }

bool ImageDraw::start(Size size) {
    canvas_.reset();
    outputSize_ = size;
    const double w = std::floor(static_cast<double>(size.width) + 0.5);
    const double h = std::floor(static_cast<double>(size.height) + 0.5);
    if (!(w >= 1 && h >= 1 && w <= Bitmap::kMaxDimension && h <= Bitmap::kMaxDimension)) {
        Log::warning("drawing: no bitmap for a canvas of " + std::to_string(size.width) + " x " +
                     std::to_string(size.height));
        return false;
    }
    const int width = static_cast<int>(w);
    try {
        canvas_ = std::make_unique<Canvas>(
            Bitmap(width, static_cast<int>(h), Bitmap::paddedBytesPerRow(width)));
    } catch (const std::exception& e) {
        Log::error(std::string("drawing: cannot make a bitmap: ") + e.what());
        return false;
    }
    if (!canvas_->surface.ok()) {
        canvas_.reset();
        return false;
    }
    return true;
}

bool ImageDraw::startFromImage(const Image& image) {
    if (!image) return false;
    return startFromImage(image.bitmap(), image.orientation());
}

bool ImageDraw::startFromImage(const Bitmap& bitmap, int orientation) {
    const Size size = getImageSize(bitmap, orientation);
    if (!start(size)) return false;
    drawImage(bitmap, orientation, size, Rect{}, Rect{0, 0, size.width, size.height});
    return true;
}

void ImageDraw::setBlendingMode(BlendMode mode) {
    if (canvas_) cairo_set_operator(canvas_->cr, cairoOperator(mode));
}

void ImageDraw::drawImage(const Bitmap& bitmap, int orientation, Size size, Rect, Rect to) {
    if (!canvas_) return;
    paintPicture(canvas_->cr, bitmap, orientation, size, to, canvas_->alpha);
}

void ImageDraw::drawImage(const Image& image, Rect from, Rect to) {
    if (!image) return;
    drawImage(image.bitmap(), image.orientation(), image.size(), from, to);
}

void ImageDraw::drawImage(const Image& image) {
    if (!image) return;
    const Size s = image.size();
    drawImage(image, Rect{0, 0, s.width, s.height}, Rect{0, 0, s.width, s.height});
}

void ImageDraw::drawImage(const Image& image, double alpha) {
    if (!canvas_) return;
    canvas_->alpha = alpha;
    drawImage(image);
    canvas_->alpha = 1.0;
}

void ImageDraw::fillRect(Rect rect, Color color) {
    if (!canvas_) return;
    cairo_t* cr = canvas_->cr;
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
}

void ImageDraw::applyColorMode(int colorMode, Rect rect) {
    if (!canvas_ || !ColorModeKernel::handles(colorMode)) return;
    cairo_surface_flush(canvas_->surface.get());
    ColorModeKernel::apply(canvas_->bitmap, pixelsOf(rect, canvas_->bitmap.height()), colorMode);
    cairo_surface_mark_dirty(canvas_->surface.get());
}

void ImageDraw::drawText(const std::string& text, const Font& font, Color color, Point center) {
    if (!canvas_) return;
    const Image caption = drawText(text, font, color);
    if (!caption) return;
    cairo_t* cr = canvas_->cr;
    const double height = canvas_->bitmap.height();
    cairo_save(cr);
    cairo_identity_matrix(cr);  // the caption is upright in top-left space
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    const double left = center.x - caption.width() * 0.5;
    const double top = height - center.y - caption.height() * 0.5;
    CairoSurface source(caption.bitmap());
    cairo_set_source_surface(cr, source.get(), left, top);
    cairo_paint(cr);
    cairo_restore(cr);
}

Image ImageDraw::end() {
    if (!canvas_) return {};
    cairo_surface_flush(canvas_->surface.get());
    Bitmap bitmap = std::move(canvas_->bitmap);
    canvas_.reset();
    return Image(std::move(bitmap), Image::kUp);
}

void ImageDraw::drawBands(const Bitmap& bitmap, int orientation, Rect r, int colorMode,
                          float lineWidth) {
    if (!canvas_ || colorMode < 0 || colorMode > 9) return;  // 10 and above: nothing drawn
    Bitmap& target = canvas_->bitmap;
    const Size size = outputSize_;
    const PixelRect covered = pixelsOf(r, target.height());
    cairo_surface_flush(canvas_->surface.get());
    ParallelRows::run(target.height(), [&](int begin, int end, int) {
        Band band(target, begin, end);
        cairo_t* cr = band.context();
        if (colorMode == 9) {
            const float l = lineWidth;
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            paintPicture(cr, bitmap, orientation, size, Rect{r.x - l, r.y - l, r.width, r.height}, 1.0);
            cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
            paintPicture(cr, bitmap, orientation, size, Rect{r.x + l, r.y + l, r.width, r.height}, 1.0);
        } else {
            // Over black, copy and normal are the same; the colour work is
            // one integer pass that gives what the mode's blend modes give.
            paintPicture(cr, bitmap, orientation, size, r, 1.0);
        }
        cairo_surface_flush(cairo_get_target(cr));
        // Mode 9 ends with a fill of white under difference: the negative.
        ColorModeKernel::apply(target, rowsOf(covered, begin, end), colorMode == 9 ? 8 : colorMode);
    });
    cairo_surface_mark_dirty(canvas_->surface.get());
}

// --- Class operations ---

Size ImageDraw::getImageSize(const Bitmap& bitmap, int orientation) {
    const auto w = static_cast<float>(bitmap.width());
    const auto h = static_cast<float>(bitmap.height());
    return Image::swapsSides(orientation) ? Size{h, w} : Size{w, h};
}

std::optional<Color> ImageDraw::getColor(int colorMode) {
    switch (colorMode) {
    case 2: return Color{0.3671875, 0.1484375, 0.0703125, 1};
    case 4: return Color{1, 0, 0, 1};
    case 5: return Color{0, 1, 1, 1};
    case 6: return Color{1, 0, 0, 1};
    case 7: return Color{0, 1, 1, 1};
    default: return std::nullopt;
    }
}

Image ImageDraw::draw(const Bitmap& bitmap, int orientation, Rect drawRect, Size imageSize,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth) {
    ImageDraw canvas;
    if (!canvas.start(imageSize)) return {};
    canvas.drawBands(bitmap, orientation, drawRect, colorMode, lineWidth);
    if (text && font && !text->empty())
        canvas.drawText(*text, *font, kTimeStampColor,
                        Point{f(imageSize.width * 0.5f), f(imageSize.height * 0.05f)});
    return canvas.end();
}

ImageDraw::Composition ImageDraw::composition(Size picture, float ratio, float zoom) {
    const float pw = picture.width;
    const float ph = picture.height;
    const float a = pw / ph;
    float r = ratio;
    if ((a > 1 && r < 1) || (a < 1 && r > 1)) r = 1 / r;

    Size output{pw, ph};
    float ox = 0;
    float oy = 0;
    if (r < a) {
        output = Size{r * ph, ph};
        ox = (output.width - pw) * 0.5f;
    } else if (r > a) {
        output = Size{pw, pw / r};
        oy = (output.height - ph) * 0.5f;
    }
    const float dw = zoom * pw;
    const float dh = zoom * ph;
    // Each sum in double precision, rounded to single precision.
    const float x = f(static_cast<double>(f(static_cast<double>(ox) + pw * 0.5)) - dw * 0.5);
    const float y = f(static_cast<double>(f(static_cast<double>(oy) + ph * 0.5)) - dh * 0.5);
    return Composition{output, Rect{x, y, dw, dh}};
}

Rect ImageDraw::landing(Rect to, int orientation, Size size) {
    const int turn = orientation >= 0 && orientation <= 7 ? orientation & 3 : 0;
    const float flippedX = size.width - to.x - to.width;
    const float flippedY = size.height - to.y - to.height;
    switch (turn) {
    case 1: return Rect{flippedX, flippedY, to.width, to.height};  // half a turn about the centre
    case 2: return Rect{flippedX, to.y, to.width, to.height};
    case 3: return Rect{to.x, flippedY, to.width, to.height};
    default: return to;
    }
}

Image ImageDraw::draw(const Bitmap& bitmap, int orientation, float ratio, float zoom,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth) {
    const Composition c = composition(getImageSize(bitmap, orientation), ratio, zoom);
    return draw(bitmap, orientation, c.drawRect, c.output, text, font, colorMode, lineWidth);
}

Image ImageDraw::tilt(const Bitmap& bitmap, int orientation, float ratio,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth) {
    const Size picture = getImageSize(bitmap, orientation);
    float r = ratio;
    if (r > 1) r = 1 / r;
    const Size output = picture.width > picture.height ? Size{r * picture.height, picture.height}
                                                       : Size{picture.width, r * picture.width};
    return draw(bitmap, orientation, Rect{0, 0, picture.width, picture.height}, output, text, font,
                colorMode, lineWidth);
}

Image ImageDraw::simpleResize(const Image& image, Size size) {
    if (!image) return {};
    return draw(image.bitmap(), image.orientation(), Rect{0, 0, size.width, size.height}, size,
                std::nullopt, std::nullopt, 0, 0);
}

Image ImageDraw::smartResize(const Image& image, Size size) {
    if (!image) return {};
    const Size s = image.size();
    const float a = s.width / s.height;
    const float d = size.width / size.height;
    if ((a > 1 && d < 1) || (a < 1 && d > 1)) return simpleResize(image, Size{size.height, size.width});
    return simpleResize(image, size);
}

Image ImageDraw::fitResize(const Image& image, Size size) {
    if (!image) return {};
    const Size s = image.size();
    const bool turn = (s.width > s.height) != (size.width > size.height) && s.width != s.height;
    const Size box = turn ? Size{size.height, size.width} : size;
    const double scale = std::min(double{box.width} / s.width, double{box.height} / s.height);
    const auto side = [scale](float length) {
        return static_cast<float>(std::max(1.0, std::round(length * scale)));
    };
    return simpleResize(image, Size{side(s.width), side(s.height)});
}

Image ImageDraw::drawPosterImage(const Image& image, Size size) {
    if (!image) return {};
    const Size s = image.size();
    const float c = s.width / s.height;
    const Size drawn = c > size.width / size.height ? Size{c * size.height, size.height}
                                                    : Size{size.width, size.width / c};
    const Rect r{(size.width - drawn.width) * 0.5f, (size.height - drawn.height) * 0.5f,
                 drawn.width, drawn.height};
    return draw(image.bitmap(), image.orientation(), r, size, std::nullopt, std::nullopt, 0, 0);
}

namespace {

Image merge(const Image& a, const Image& b, BlendMode mode, double alpha) {
    if (!a || !b) return b;
    const Size sa = a.size();
    const Size sb = b.size();
    if (sa.width != sb.width || sa.height != sb.height) return b;
    ImageDraw canvas;
    if (!canvas.startFromImage(a)) return {};
    canvas.setBlendingMode(mode);
    canvas.drawImage(b, alpha);
    return canvas.end();
}

}  // namespace

Image ImageDraw::channelMerge(const Image& a, const Image& b) {
    return merge(a, b, BlendMode::kLighten, 1.0);
}

Image ImageDraw::simplyMerge(const Image& a, const Image& b) {
    return merge(a, b, BlendMode::kNormal, 0.5);
}

Image ImageDraw::drawText(const std::string& text, const Font& font, Color color) {
    if (text.empty()) return {};
    // Measure on a scratch surface.
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* measure = cairo_create(scratch);
    selectFont(measure, font);
    cairo_text_extents_t extents;
    cairo_font_extents_t fontExtents;
    cairo_text_extents(measure, text.c_str(), &extents);
    cairo_font_extents(measure, &fontExtents);
    cairo_destroy(measure);
    cairo_surface_destroy(scratch);

    const double w = std::ceil(extents.x_advance);
    const double h = std::ceil(fontExtents.ascent + fontExtents.descent);
    if (!(w >= 1 && h >= 1) || w + 2 > Bitmap::kMaxDimension || h + 2 > Bitmap::kMaxDimension)
        return {};
    const int width = static_cast<int>(w) + 2;
    Bitmap bitmap(width, static_cast<int>(h) + 2, Bitmap::Format::kBGRA);
    {
        CairoSurface surface(bitmap);
        cairo_t* cr = cairo_create(surface.get());
        selectFont(cr, font);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
        // The shadow two points right of and below the text.
        cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
        cairo_move_to(cr, 2, 2 + fontExtents.ascent);
        cairo_show_text(cr, text.c_str());
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_move_to(cr, 0, fontExtents.ascent);
        cairo_show_text(cr, text.c_str());
        cairo_destroy(cr);
        cairo_surface_flush(surface.get());
    }
    return Image(std::move(bitmap), Image::kUp);
}

}  // namespace kestrel
