#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"

namespace kestrel {

// Where everything of Kestrel's screens goes on a screen of a given size in
// points: the camera's picture area and toolbar, the spots of the read-outs
// over the picture, the column the settings are read in, the album's grid
// and the viewer's picture. A value: the window's size (and, for the camera,
// the shape of the camera's frames) in, rectangles out, so that the screens
// hold no sizes of their own and a resize is one new layout.
//
// A portrait screen (as wide as tall, or taller) puts the toolbar in a row
// along the bottom, the picture over all the rest; a landscape screen fits
// the picture to the height at the frame's shape and turns the toolbar into
// a column on the right. 320 × 480 is the phone screen Kestrel was drawn
// for: its numbers are the ones the screens always had.
class ScreenLayout {
public:
    static constexpr Size kPhoneScreen{320, 480};
    // The toolbar row's height, and the column's width.
    static constexpr float kToolbarThickness = 53;
    static constexpr float kNavigationBarHeight = 44;
    // The settings, choosers and About are read in a column no wider than this.
    static constexpr float kReadingWidth = 480;
    // The album's thumbnail tiles, square.
    static constexpr float kTileSide = 80;
    static constexpr float kViewerToolbarHeight = 44;
    static constexpr float kViewerInfoLineHeight = 22;

    // The toolbar's buttons: the preview page's, then the review page's.
    enum class ToolbarButton { kAlbum, kShutter, kSettings, kRetake, kUse };

    // `frame`: the upright size of the camera's frames; none (or an empty
    // size) reads as 4:3 landscape. `pixelRatio`: the display's pixels per point.
    explicit ScreenLayout(Size screen = kPhoneScreen, Size frame = Size{}, double pixelRatio = 1);

    Size screen() const { return screen_; }
    Rect screenRect() const { return Rect{0, 0, screen_.width, screen_.height}; }
    bool landscape() const { return screen_.width > screen_.height; }
    // Width over height of the camera's frames.
    float frameAspect() const { return aspect_; }
    double pixelRatio() const { return pixelRatio_; }
    bool operator==(const ScreenLayout&) const = default;

    // --- The camera screen, in the screen's points ---
    Rect pictureArea() const;
    // The picture area turned a quarter, about the same centre (a picture
    // shown upright to a device held sideways).
    Rect turnedPictureArea() const;
    // The toolbar's visible strip: a row along the bottom or a column on the right.
    Rect toolbarStrip() const;
    // The whole toolbar, both pages, scrolled to one of them: the review
    // page lies beside the preview page in a row and below it in a column.
    Rect toolbarFrame(bool reviewPage) const;
    // A button's frame in the toolbar's own coordinates.
    Rect toolbarButton(ToolbarButton button) const;
    // A button's centre on the screen, with its page shown.
    Point toolbarButtonCentre(ToolbarButton button) const;
    // Where the saved picture shrinks to: the shutter, or the use button.
    Point saveTarget(bool autoSave) const;
    Rect flashButton() const;
    Rect cameraSwitchButton() const;
    Rect timerLabel() const;
    Rect modeIcon() const;
    Rect zoomReadout() const;
    Rect sensorPanel() const;
    // The sensing panel's centre with the device upright (or upside down),
    // and held with its top to the left or to the right.
    Point sensorPanelCentre() const;
    Point sensorPanelCentreHeldLeft() const;
    Point sensorPanelCentreHeldRight() const;
    // The save label, upright, and (before its quarter turn) held sideways.
    Rect saveLabel() const;
    Rect turnedSaveLabel() const;

    // --- The navigation bar, across the top ---
    // Where the back button and the bar's right button take touches (their
    // titles drawn inside, 8 points from the screen's edge), and the title.
    Rect navigationBackButton() const;
    Rect navigationTitle() const;
    Rect navigationRightButton() const;

    // --- The screens under the navigation bar, in their content's points ---
    Rect navigationContent() const;
    // The settings, choosers and About: centred, no wider than kReadingWidth.
    Rect readingColumn() const;
    // How many album tiles fit across (one at the least).
    int albumColumns() const;
    Rect viewerPicture() const;
    Rect viewerToolbar() const;
    // The viewer's info line: a strip along the bottom of the picture, just
    // above the toolbar, so that it hides neither the title nor a button.
    Rect viewerInfoLine() const;
    // The viewer's picture in the display's pixels: what a photo is decoded for.
    Size viewerPixels() const;

private:
    Size screen_;
    float aspect_;
    double pixelRatio_;
};

}  // namespace kestrel
