#pragma once

namespace kestrel {

// A rectangle in points, single precision as the drawing code computes it.
struct Rect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    bool operator==(const Rect&) const = default;
};

struct Point {
    float x = 0;
    float y = 0;
    bool operator==(const Point&) const = default;
};

// An opaque or translucent colour, components 0–1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    bool operator==(const Color&) const = default;
};

// A font for drawn text: family as fontconfig knows it, size in points.
struct Font {
    double size = 12;
    bool bold = false;
    const char* family = "sans-serif";
};

// Whole pixels: a rectangle of rows and columns, top-left origin.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace kestrel
