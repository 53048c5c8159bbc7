#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Blend modes by their platform numbers.
enum class BlendMode : int {
    kNormal = 0, kMultiply = 1, kLighten = 5, kHardLight = 9, kDifference = 10,
    kColor = 14, kLuminosity = 15, kCopy = 17,
};

// One canvas over one fresh bitmap (start ... end), and the class operations
// built on it: the photo composition (upright, ratio crop, zoom, colour mode,
// time stamp in one pass into one bitmap), resizes, posters, merges.
//
// Drawing coordinates have their origin at the bottom-left corner, y up; the
// finished image's first row is the top row. Pictures are drawn through the
// orientation transform, so every result is upright (orientation 0).
// Canvases are independent: any thread, one canvas per thread.
class ImageDraw {
public:
    ImageDraw();
    ~ImageDraw();
    ImageDraw(const ImageDraw&) = delete;
    ImageDraw& operator=(const ImageDraw&) = delete;

    // --- One canvas ---
    // A black bitmap of (w + 0.5) × (h + 0.5) pixels, rows padded to a
    // multiple of 4 pixels. Answers NO (and stays without a bitmap) when the
    // size is empty or too large.
    bool start(Size size);
    bool startFromImage(const Image& image);
    bool startFromImage(const Bitmap& bitmap, int orientation);
    void setBlendingMode(BlendMode mode);
    // The whole picture through the orientation transform into `to`; `size` is
    // the canvas's output size (the transform translates by it). `from` is
    // not used.
    void drawImage(const Bitmap& bitmap, int orientation, Size size, Rect from, Rect to);
    void drawImage(const Image& image, Rect from, Rect to);
    void drawImage(const Image& image);
    void drawImage(const Image& image, double alpha);
    void fillRect(Rect rect, Color color);
    // The caption of drawText(text, font, color), centred on `center`, blend
    // mode normal.
    void drawText(const std::string& text, const Font& font, Color color, Point center);
    // The colour mode of the drawing pass, as integer work on the pixels of
    // the bitmap covered by `rect` (modes 1–8).
    void applyColorMode(int colorMode, Rect rect);
    // The picture and its colour mode (0–9; 10 and above draw nothing) in
    // one pass over horizontal bands of the canvas, on all cores: each band
    // is drawn and coloured while it is in the cache.
    void drawBands(const Bitmap& bitmap, int orientation, Rect drawRect, int colorMode,
                   float lineWidth);
    // The finished picture; none when there was no bitmap. Ends the canvas.
    Image end();
    bool hasBitmap() const;
    Size outputSize() const { return outputSize_; }

    // --- Class operations; all answer upright images ---
    static Image draw(const Bitmap& bitmap, int orientation, float ratio, float zoom,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth);
    static Image tilt(const Bitmap& bitmap, int orientation, float ratio,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth);
    static Image draw(const Bitmap& bitmap, int orientation, Rect drawRect, Size imageSize,
                      const std::optional<std::string>& text, const std::optional<Font>& font,
                      int colorMode, float lineWidth);
    // The photo composition's geometry for an upright picture: the output
    // size (the ratio crop) and where the whole picture is drawn (the zoom).
    struct Composition {
        Size output;
        Rect drawRect;
    };
    static Composition composition(Size picture, float ratio, float zoom);
    // Where a picture drawn through the orientation transform into `to` on
    // a canvas of `size` lands (and, the same turn undone, which `to`
    // lands on a given rectangle).
    static Rect landing(Rect to, int orientation, Size size);
    static Image smartResize(const Image& image, Size size);
    // The picture reduced (or enlarged) to fit `size` turned to the
    // picture's shape, its own shape kept: a 4:3 picture fills 640 × 480, a
    // 16:9 one gives 640 × 360. Sides are rounded to whole pixels.
    static Image fitResize(const Image& image, Size size);
    static Image simpleResize(const Image& image, Size size);
    static Image drawPosterImage(const Image& image, Size size);
    static Image channelMerge(const Image& a, const Image& b);
    static Image simplyMerge(const Image& a, const Image& b);
    static Size getImageSize(const Bitmap& bitmap, int orientation);
    static std::optional<Color> getColor(int colorMode);
    // A caption: (w + 2) × (h + 2) for the text's one-line size w × h,
    // transparent, a half-transparent black shadow 2 points right and below,
    // then the text in `color`. None for empty text.
    static Image drawText(const std::string& text, const Font& font, Color color);

    // The time stamp's colour: the platform's light grey.
    static constexpr Color kTimeStampColor{2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1.0};

private:
    struct Canvas;
    std::unique_ptr<Canvas> canvas_;
    Size outputSize_{};
};

}  // namespace kestrel
