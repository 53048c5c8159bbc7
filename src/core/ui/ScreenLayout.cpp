#include "core/ui/ScreenLayout.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// The shape assumed before the camera's first frame: a landscape 4:3 sensor.
constexpr float kDefaultAspect = 4.0f / 3.0f;
// The toolbar's buttons keep their height in a row (their width in a column)
// and sit this far in from the strip's edge.
constexpr float kButtonInset = 4;
constexpr float kButtonThickness = 45;

Rect centredAt(Point centre, float width, float height) {
    return Rect{centre.x - width / 2, centre.y - height / 2, width, height};
}

float right(const Rect& r) { return r.x + r.width; }
float bottom(const Rect& r) { return r.y + r.height; }
Point centre(const Rect& r) { return Point{r.x + r.width / 2, r.y + r.height / 2}; }

}  // namespace

ScreenLayout::ScreenLayout(Size screen, Size frame, double pixelRatio)
    : screen_{std::max(0.0f, screen.width), std::max(0.0f, screen.height)},
      aspect_(frame.width > 0 && frame.height > 0 ? frame.width / frame.height : kDefaultAspect),
      pixelRatio_(pixelRatio > 0 ? pixelRatio : 1.0) {}

Rect ScreenLayout::pictureArea() const {
    const float w = screen_.width;
    const float h = screen_.height;
    if (!landscape()) return Rect{0, 0, w, std::max(0.0f, h - kToolbarThickness)};
    // As high as the screen at the frame's shape, centred in what the column
    // leaves; narrower when that is not wide enough.
    const float room = std::max(0.0f, w - kToolbarThickness);
    const float width = std::min(h * aspect_, room);
    return Rect{(room - width) / 2, 0, width, h};
}

Rect ScreenLayout::turnedPictureArea() const {
    const Rect area = pictureArea();
    return centredAt(centre(area), area.height, area.width);
}

Rect ScreenLayout::toolbarStrip() const {
    if (landscape())
        return Rect{screen_.width - kToolbarThickness, 0, kToolbarThickness, screen_.height};
    return Rect{0, screen_.height - kToolbarThickness, screen_.width, kToolbarThickness};
}

Rect ScreenLayout::toolbarFrame(bool reviewPage) const {
    const Rect strip = toolbarStrip();
    if (landscape())
        return Rect{strip.x, reviewPage ? -strip.height : 0, strip.width, 2 * strip.height};
    return Rect{reviewPage ? -strip.width : 0, strip.y, 2 * strip.width, strip.height};
}

Rect ScreenLayout::toolbarButton(ToolbarButton button) const {
    using B = ToolbarButton;
    if (landscape()) {
        // The row turned a quarter, as a phone held sideways turns it: what
        // was on the right is at the top.
        const float h = screen_.height;
        auto at = [](float y, float length) {
            return Rect{kButtonInset, y, kButtonThickness, length};
        };
        switch (button) {
            case B::kSettings:
                return at(10, 60);
            case B::kShutter:
                return at(h / 2 - 50, 100);
            case B::kAlbum:
                return at(h - 70, 60);
            case B::kUse:
                return at(h + 10, 120);
            case B::kRetake:
                return at(2 * h - 130, 120);
        }
        return Rect{};
    }
    const float w = screen_.width;
    auto at = [](float x, float length) { return Rect{x, kButtonInset, length, kButtonThickness}; };
    // Retake and use share the review page, narrower on a narrow screen.
    const float answer = std::min(120.0f, (w - 30) / 2);
    switch (button) {
        case B::kAlbum:
            return at(10, 60);
        case B::kShutter:
            return at(w / 2 - 50, 100);
        case B::kSettings:
            return at(w - 70, 60);
        case B::kRetake:
            return at(w + 10, answer);
        case B::kUse:
            return at(2 * w - 10 - answer, answer);
    }
    return Rect{};
}

Point ScreenLayout::toolbarButtonCentre(ToolbarButton button) const {
    const bool review = button == ToolbarButton::kRetake || button == ToolbarButton::kUse;
    const Rect bar = toolbarFrame(review);
    const Point inBar = centre(toolbarButton(button));
    return Point{bar.x + inBar.x, bar.y + inBar.y};
}

Point ScreenLayout::saveTarget(bool autoSave) const {
    if (landscape())
        return toolbarButtonCentre(autoSave ? ToolbarButton::kShutter : ToolbarButton::kUse);
    // Low in the row, under the shutter or towards the use button.
    const float y = screen_.height - 28;
    return autoSave ? Point{screen_.width / 2, y} : Point{screen_.width - 37, y};
}

Rect ScreenLayout::flashButton() const {
    const Rect area = pictureArea();
    return Rect{area.x + 10, area.y + 10, 60, 34};
}

Rect ScreenLayout::cameraSwitchButton() const {
    const Rect area = pictureArea();
    return Rect{right(area) - 70, area.y + 10, 60, 34};
}

Rect ScreenLayout::timerLabel() const {
    const Point c = centre(pictureArea());
    return centredAt(Point{c.x, c.y - 13.5f}, 200, 100);
}

Rect ScreenLayout::modeIcon() const {
    const Point c = centre(pictureArea());
    return centredAt(Point{c.x, c.y - 8.5f}, 50, 50);
}

Rect ScreenLayout::zoomReadout() const {
    const Rect area = pictureArea();
    return centredAt(Point{centre(area).x, bottom(area) - 75}, 100, 44);
}

Rect ScreenLayout::sensorPanel() const {
    const Rect area = pictureArea();
    return centredAt(Point{centre(area).x, bottom(area) - 82}, 200, 90);
}

Point ScreenLayout::sensorPanelCentre() const {
    const Rect area = pictureArea();
    return Point{centre(area).x, bottom(area) - 27};
}

Point ScreenLayout::sensorPanelCentreHeldLeft() const {
    const Rect area = pictureArea();
    return Point{area.x + 40, bottom(area) - 124};
}

Point ScreenLayout::sensorPanelCentreHeldRight() const {
    const Rect area = pictureArea();
    return Point{right(area) - 40, bottom(area) - 124};
}

Rect ScreenLayout::saveLabel() const {
    const Rect area = pictureArea();
    return Rect{area.x + 20, bottom(area) - 42, std::max(0.0f, area.width - 40), 30};
}

Rect ScreenLayout::turnedSaveLabel() const {
    // Along the left edge once turned, as long as the picture is high.
    const Rect area = pictureArea();
    const float length = std::max(0.0f, std::min(280.0f, area.height - 40));
    return centredAt(Point{area.x + 35, centre(area).y}, length, 30);
}

Rect ScreenLayout::navigationBackButton() const { return Rect{0, 0, 90, kNavigationBarHeight}; }

Rect ScreenLayout::navigationTitle() const {
    return Rect{80, 0, std::max(0.0f, screen_.width - 160), kNavigationBarHeight};
}

Rect ScreenLayout::navigationRightButton() const {
    return Rect{screen_.width - 90, 0, 90, kNavigationBarHeight};
}

Rect ScreenLayout::navigationContent() const {
    return Rect{0, 0, screen_.width, std::max(0.0f, screen_.height - kNavigationBarHeight)};
}

Rect ScreenLayout::readingColumn() const {
    const Rect content = navigationContent();
    const float width = std::min(content.width, kReadingWidth);
    return Rect{std::round((content.width - width) / 2), 0, width, content.height};
}

int ScreenLayout::albumColumns() const {
    return std::max(1, static_cast<int>(std::floor(screen_.width / kTileSide)));
}

Rect ScreenLayout::viewerPicture() const {
    const Rect content = navigationContent();
    return Rect{0, 0, content.width, std::max(0.0f, content.height - kViewerToolbarHeight)};
}

Rect ScreenLayout::viewerToolbar() const {
    const Rect picture = viewerPicture();
    return Rect{0, bottom(picture), picture.width, kViewerToolbarHeight};
}

Rect ScreenLayout::viewerInfoLine() const {
    const Rect picture = viewerPicture();
    const float height = std::min(kViewerInfoLineHeight, picture.height);
    return Rect{0, bottom(picture) - height, picture.width, height};
}

Size ScreenLayout::viewerPixels() const {
    const Rect picture = viewerPicture();
    return Size{static_cast<float>(std::round(picture.width * pixelRatio_)),
                static_cast<float>(std::round(picture.height * pixelRatio_))};
}

}  // namespace kestrel
