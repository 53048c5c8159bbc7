#pragma once

#include "core/app/KestrelApp.h"
#include "core/app/KeyCommands.h"
#include "core/ui/TableDrag.h"
#include "core/ui/TouchSequence.h"
#include "core/ui/TouchedScreen.h"
#include "gui/AccessibleScreen.h"
#include "gui/ScreenRenderer.h"

#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <functional>
#include <optional>

namespace kestrel::gui {

// Kestrel's window: the screens drawn at the window's own size, one point a
// logical pixel (high-DPI aware), laid out by the core for that size and
// again at every resize; alerts and action sheets as Qt dialogs. It draws
// only when something changed (the core's view tree, an animation's next
// frame, the camera's next live frame) and sleeps otherwise: no timer.
// The mouse and a touch screen's fingers become the core's touches: the view
// under the finger gets them and passes on what it does not handle, so the
// window knows no particular screen; a double-click (a second tap) is one
// more tap with tap count 2, and goes nowhere when the first tap changed the
// screen; a touch held as the screen changes is cancelled (the core's
// TouchedScreen). Fingers go through the core's touch sequence,
// which makes two of them a pinch for the view the first one touched; the
// mouse Qt makes of touches is ignored. Keys go to the core's key commands.
class KestrelWindow : public QWidget, private TouchSequence::Target {
public:
    KestrelWindow(KestrelApp& app, CameraPicker* camera);
    ~KestrelWindow() override;
    KestrelWindow(const KestrelWindow&) = delete;
    KestrelWindow& operator=(const KestrelWindow&) = delete;

    // Frames between an animation's drawings.
    static constexpr int kAnimationFrameMs = 33;

    // A tap at a point of the screen, as the mouse gives one (tests).
    void tap(Point point, int tapCount = 1);
    // A double-click as Qt delivers it: press, release, double-click, release.
    void doubleClick(Point point);
    void drag(Point from, Point to);
    // The screen as it is drawn now, at `scale` pixels per point.
    QImage screenshot(double scale = 2.0);
    ScreenRenderer& renderer() { return renderer_; }
    // Told once, when the first frame of the live view has been drawn.
    void setFirstFrameObserver(std::function<void()> observer) {
        firstFrame_ = std::move(observer);
    }
    // The painted screen for assistive technology and Tab focus.
    AccessibleScreen& accessibleScreen() { return accessible_; }
    // Whether the list of keys is shown over the screen.
    bool keyListShown() const { return keys_.keyListShown(); }
    // Once shown: a window whose frame (the decorations a Wayland window
    // draws itself, a window manager's border) would stick out of the
    // screen's available area is made smaller, so that the frame fits too.
    void fitFrameOnScreen();
    // Answers the oldest waiting alert with a Qt dialog (or `answer` when given).
    void showAlerts(std::optional<int> answer = std::nullopt);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Tab and Shift+Tab move the focus among the painted controls, not among widgets.
    bool focusNextPrevChild(bool) override { return false; }
    // Touch screens' events, as touches.
    bool event(QEvent* event) override;

private:
    // Tells the core and the renderer the window's size (a hidden window
    // gets no resize events: every paint, screenshot and touch tells it too).
    void layOutScreen();
    // The screen in the window: one point, one logical pixel.
    QTransform screenToWindow() const { return QTransform(); }
    Point toScreen(QPointF position) const;
    // One finger or the mouse, and two fingers (TouchSequence::Target).
    void press(Point point, int tapCount) override;
    void move(Point point) override;
    void release(Point point) override;
    void cancel() override;
    void pinchBegan(double scale) override;
    void pinchChanged(double scale) override;
    void pinchEnded(double scale) override;
    void pinchCancelled(double scale) override;
    void touchEvent(QTouchEvent& event);
    // The screen shown (a navigation controller's top screen), prepared for hit tests.
    const ViewController* shownScreen();
    // Whether the touch under way still has its screen; when that went, the
    // touched view hears the touch was cancelled.
    bool touchGoesOn();
    // Where the touch is now in the touched view (moved by as much as the pointer).
    Point touchLocation(Point point) const;
    // The list of keys over the screen (F1 or ?), in screen points.
    void paintKeyList(QPainter& p);
    // After a change of the core's screens, on the window's next turn of
    // the event loop: what assistive technology sees, and alerts to answer.
    void syncWithScreens();
    // Hears of the camera's new frames while the camera screen shows.
    void followLiveView();

    KestrelApp* app_;
    KeyCommands keys_;
    CameraPicker* camera_;
    ScreenRenderer renderer_;
    AccessibleScreen accessible_;
    QTimer animationFrame_;  // single shot: the next frame of a running animation
    QTimer sync_;            // single shot, zero delay: syncWithScreens
    bool observingFrames_ = false;
    ScreenRenderer::Hit pressed_;  // the touched view, held until the touch ends
    ScreenRenderer::Hit pinched_;  // the view a pinch began in, held until it ends
    TouchSequence touches_;
    TouchedScreen touched_;
    Touch touch_;
    Point pressPoint_{};
    bool onNavigationBar_ = false;
    TableDrag drag_;  // a touch on a table: a tap, or a scroll once it moves
    bool showingAlert_ = false;
    std::function<void()> firstFrame_;
};

}  // namespace kestrel::gui
