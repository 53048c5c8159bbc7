#include "core/imaging/CairoSurface.h"
#include "core/imaging/ImageDraw.h"
#include "support/TestImages.h"

#include <cairo.h>
#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// The colour mode drawn literally with Cairo's blend operators: the picture
// onto black with the first blend mode, then the fill under the second.
Image cairoOracle(const Image& picture, int colorMode) {
    Bitmap out(picture.width(), picture.height());
    CairoSurface target(out);
    CairoSurface source(picture.bitmap());
    cairo_t* cr = cairo_create(target.get());
    cairo_operator_t draw = CAIRO_OPERATOR_SOURCE;
    cairo_operator_t fill = CAIRO_OPERATOR_OVER;
    bool hasFill = true;
    double r = 0, g = 0, b = 0;
    switch (colorMode) {
    case 1: draw = CAIRO_OPERATOR_HSL_LUMINOSITY; hasFill = false; break;
    case 2: draw = CAIRO_OPERATOR_HSL_LUMINOSITY; fill = CAIRO_OPERATOR_HSL_COLOR;
            r = 0.3671875; g = 0.1484375; b = 0.0703125; break;
    case 3: draw = CAIRO_OPERATOR_HARD_LIGHT; hasFill = false; break;
    case 4: draw = CAIRO_OPERATOR_HSL_LUMINOSITY; fill = CAIRO_OPERATOR_HSL_COLOR; r = 1; break;
    case 5: draw = CAIRO_OPERATOR_HSL_LUMINOSITY; fill = CAIRO_OPERATOR_HSL_COLOR; g = b = 1; break;
    case 6: fill = CAIRO_OPERATOR_MULTIPLY; r = 1; break;
    case 7: fill = CAIRO_OPERATOR_MULTIPLY; g = b = 1; break;
    case 8: fill = CAIRO_OPERATOR_DIFFERENCE; r = g = b = 1; break;
    default: hasFill = false; break;
    }
    cairo_set_operator(cr, draw);
    cairo_set_source_surface(cr, source.get(), 0, 0);
    cairo_paint(cr);
    if (hasFill) {
        cairo_set_operator(cr, fill);
        cairo_set_source_rgb(cr, r, g, b);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(target.get());
    return Image(std::move(out));
}

Image composeInPlace(const Image& picture, int colorMode, float lineWidth = 8) {
    const auto w = static_cast<float>(picture.width());
    const auto h = static_cast<float>(picture.height());
    return ImageDraw::draw(picture.bitmap(), Image::kUp, Rect{0, 0, w, h}, Size{w, h}, std::nullopt,
                           std::nullopt, colorMode, lineWidth);
}

TEST(ColorModeTest, IntegerKernelsAgreeWithCairoOperatorsWithinOneLevel) {
    // Every grey level and every pure colour edge, plus seeded noise.
    const Image ramp = TestImages::make(256, 8, [](int x, int y) {
        return Rgb{(y & 1) ? x : 255 - x, (y & 2) ? x : 0, (y & 4) ? 255 - x : x};
    });
    const Image noise = TestImages::noise(97, 61, 2026);
    for (const Image* picture : {&ramp, &noise})
        for (int mode = 0; mode <= 8; ++mode) {
            const Image ours = composeInPlace(*picture, mode);
            const Image oracle = cairoOracle(*picture, mode);
            EXPECT_LE(TestImages::maxDifference(ours, oracle), 1) << "colour mode " << mode;
        }
}

TEST(ColorModeTest, ExactResultsOfTheChannelModes) {
    const Image picture = TestImages::uniform(4, 4, Rgb{200, 100, 30});
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 0), 1, 1), (Rgb{200, 100, 30}));
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 6), 1, 1), (Rgb{200, 0, 0}));
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 7), 1, 1), (Rgb{0, 100, 30}));
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 8), 1, 1), (Rgb{55, 155, 225}));
    const int grey = 122;  // 0.3 × 200 + 0.59 × 100 + 0.11 × 30 = 122.3
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 1), 1, 1), (Rgb{grey, grey, grey}));
    // Hard light onto black: a channel up to half goes to 0, above it 2s - 255.
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 3), 1, 1), (Rgb{145, 0, 0}));
    // Sepia keeps the luminosity of the grey.
    const Rgb sepia = TestImages::at(composeInPlace(picture, 2), 1, 1);
    EXPECT_NEAR(0.3 * sepia.r + 0.59 * sepia.g + 0.11 * sepia.b, grey, 1.0);
    EXPECT_GT(sepia.r, sepia.g);
    EXPECT_GT(sepia.g, sepia.b);
    // Modes from 10 on draw nothing.
    EXPECT_EQ(TestImages::at(composeInPlace(picture, 10), 1, 1), (Rgb{0, 0, 0}));
}

TEST(ColorModeTest, PencilOnAUniformPictureIsWhiteInsideDarkBandsAtTheEdges) {
    const Image picture = TestImages::uniform(64, 48, Rgb{90, 120, 150});
    const Image pencil = composeInPlace(picture, 9);
    EXPECT_EQ(TestImages::at(pencil, 32, 24), (Rgb{255, 255, 255}));
    EXPECT_EQ(TestImages::at(pencil, 40, 30), (Rgb{255, 255, 255}));
    // Where only one shifted copy lies, the inverted picture shows.
    const Rgb inverted{165, 135, 105};
    EXPECT_EQ(TestImages::at(pencil, 3, 24), inverted);   // left band: only the lower-left copy
    EXPECT_EQ(TestImages::at(pencil, 60, 24), inverted);  // right band: only the upper-right copy
    EXPECT_EQ(TestImages::at(pencil, 32, 2), inverted);   // top band
    EXPECT_EQ(TestImages::at(pencil, 32, 45), inverted);  // bottom band
}

TEST(ColorModeTest, FillColours) {
    EXPECT_FALSE(ImageDraw::getColor(0));
    EXPECT_FALSE(ImageDraw::getColor(1));
    EXPECT_FALSE(ImageDraw::getColor(3));
    EXPECT_FALSE(ImageDraw::getColor(8));
    EXPECT_DOUBLE_EQ(ImageDraw::getColor(2)->red, 0.3671875);
    EXPECT_DOUBLE_EQ(ImageDraw::getColor(7)->green, 1.0);
    EXPECT_DOUBLE_EQ(ImageDraw::getColor(7)->red, 0.0);
}

}  // namespace
}  // namespace kestrel
