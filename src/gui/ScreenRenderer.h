#pragma once

#include "core/imaging/BilinearScaler.h"
#include "core/platform/CameraPicker.h"
#include "core/ui/Accessibility.h"
#include "core/ui/Button.h"
#include "core/ui/HitTest.h"
#include "core/ui/ScreenLayout.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/TableView.h"
#include "core/ui/View.h"
#include "core/ui/ViewController.h"
#include "gui/AnimationPlayer.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::gui {

// Draws Kestrel's screens, at the size the window gives in points (the core
// lays the screens out for it), from the core's view tree: the
// frames, transforms, alpha, hidden flags and z-order of the views, what
// each kind shows (pictures, text, buttons, switches, segments, tables and
// their rows, navigation bars), and the camera preview under the live
// view. It also answers which view lies under a point, for the window's
// input. No behaviour of the screens lives here.
class ScreenRenderer {
public:
    static constexpr float kNavigationBarHeight = ScreenLayout::kNavigationBarHeight;

    // The view a touch goes to, as the core answers it.
    using Hit = HitTest::Result;

    // `cameraView`: the view under which the live preview is drawn (the
    // camera screen's container); `camera` supplies the preview.
    // `clock` gives the run loop's time in seconds, for the animations.
    ScreenRenderer(const View* cameraView, CameraPicker* camera,
                   std::function<double()> clock = nullptr)
        : cameraView_(cameraView), camera_(camera), clock_(std::move(clock)) {}

    void paint(QPainter& painter, ViewController& top);
    // The screen's size in points (320 × 480 until told).
    void setScreenSize(Size size) { screen_ = size; }
    Size screenSize() const { return screen_; }
    QRectF screenRect() const { return QRectF(0, 0, screen_.width, screen_.height); }
    // The view whose frame is the live picture's area on the camera screen;
    // none: the phone screen's picture area.
    void setPictureView(const View* view) { pictureView_ = view; }
    // Whether painting tells the camera the size the live view is drawn at
    // (the window's own paints do; screenshots at other sizes do not).
    void setSizesPreview(bool sizes) { sizesPreview_ = sizes; }
    // Which screen is on top, for hit tests before the next paint.
    void prepare(ViewController& top);
    // The view under a screen point on the screen last painted.
    Hit hitTest(Point point);
    // What assistive technology and keyboard focus see of the screen last
    // prepared: every shown button, switch, segment of a segmented control,
    // table row, level bar and text, in drawing order, with where it lies on
    // the screen. Pressing one is a tap at the centre of `rect`.
    struct Element {
        using Kind = Accessibility::Role;
        Kind kind = Kind::kLabel;
        std::string key;   // the same element keeps its key while it is shown
        std::string name;  // what a screen reader says
        std::string value;
        QRectF rect;  // on the screen, in points
        bool enabled = true;
        bool checked = false;
        bool actionable() const { return kind != Kind::kLabel && kind != Kind::kLevel; }
    };
    std::vector<Element> accessibleElements();

    // Whether an animation still runs on the screen last painted: the next
    // frame of it is due.
    bool animating() const { return player_.animating(now_); }
    // Whether the screen last prepared is the camera screen, the live view under it.
    bool showsCamera() const { return content_ && content_ == cameraView_; }

    // The navigation controller on screen, if the top screen is one.
    NavigationController* navigation() const { return navigation_; }

    static QImage toQImage(const Image& image);

    // The strip on the right of a table row where its accessory mark is drawn.
    static constexpr float kAccessoryWidth = 30;
    // The font a text of the core is drawn in.
    static QFont qtFont(const Font& font);
    // The font of a segmented control's titles: 12 points bold, made
    // narrower and then smaller (to 10 points at the least) until the
    // longest title fits its segment.
    static QFont segmentTitleFont(const SegmentedControl& control);

private:
    static constexpr double kSegmentTitleSize = 12;
    static constexpr int kSmallestSegmentTitle = 10;
    static constexpr double kSegmentPadding = 3;

    void paintView(QPainter& p, View& view);
    void paintContent(QPainter& p, View& view);
    void paintTable(QPainter& p, TableView& table);
    void paintNavigationBar(QPainter& p, NavigationController& navigation);
    // The live preview of one paint: the frame, where it lies in the
    // content's coordinates and on the device, and the device pixels it
    // covers when drawn pixel by pixel (none when the painter draws it).
    struct Preview {
        QImage frame;
        QRectF area;
        QRectF shown;  // where the whole frame lies, unzoomed
        QRectF target;
        QRectF onDevice;
        QRect covered;
    };
    Preview placePreview(const QTransform& toDevice);
    void paintPreview(QPainter& p, const Preview& preview);
    void fillBlackAround(QPainter& p, const QRect& covered);
    static void scaleShown(const QImage& frame, const BilinearScaler::Target& target,
                           const Preview& preview);
    // The painter's own pixels under a rectangle in device pixels, when
    // they can be written directly; else none.
    static std::optional<BilinearScaler::Target> pixelsUnder(QPainter& p, const QRect& rect);
    void paintImage(QPainter& p, const View& view, const QRectF& box, const Image& image,
                    const std::string& name, int contentMode);
    void collect(View& view, const QTransform& toScreen, std::vector<Element>& out,
                 const std::string& keyPrefix);
    void collectRows(TableView& table, const QTransform& toScreen, const QRectF& rect,
                     std::vector<Element>& out, const std::string& key);

    const View* cameraView_;
    const View* pictureView_ = nullptr;
    CameraPicker* camera_;
    Size screen_ = ScreenLayout::kPhoneScreen;
    bool sizesPreview_ = false;
    std::function<double()> clock_;
    AnimationPlayer player_;
    double now_ = 0;
    NavigationController* navigation_ = nullptr;
    View* content_ = nullptr;
    std::shared_ptr<View> contentOwner_;
    float contentTop_ = 0;
    QImage shownPixels_;  // the part of the preview on screen, scaled
};

}  // namespace kestrel::gui
