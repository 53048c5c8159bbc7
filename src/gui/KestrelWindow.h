#pragma once

#include "core/app/KestrelApp.h"
#include "gui/ScreenRenderer.h"

#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <functional>
#include <optional>

namespace kestrel::gui {

// Kestrel's window: the 320 × 480 point screen scaled to the window with
// its shape kept (high-DPI aware), redrawn as the screens change, mouse and
// touch turned into the core's taps, drags and swipes, alerts and action
// sheets as Qt dialogs, and keys for the shutter (Space), the album (A),
// the settings (S), back to the camera (Escape) and the next mode (M).
class KestrelWindow : public QWidget {
public:
    KestrelWindow(KestrelApp& app, CameraPicker* camera);

    // A tap at a point of the 320 × 480 screen, as the mouse gives one (tests).
    void tap(Point point, int tapCount = 1);
    void drag(Point from, Point to);
    // The screen as it is drawn now, at `scale` pixels per point.
    QImage screenshot(double scale = 2.0);
    ScreenRenderer& renderer() { return renderer_; }
    // Told once, when the first frame of the live view has been drawn.
    void setFirstFrameObserver(std::function<void()> observer) {
        firstFrame_ = std::move(observer);
    }
    // Answers the oldest waiting alert with a Qt dialog (or `answer` when given).
    void showAlerts(std::optional<int> answer = std::nullopt);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The 320 × 480 screen scaled to fit the window, keeping its shape, centred.
    QTransform screenToWindow() const;
    Point toScreen(QPointF position) const;
    void press(Point point);
    void move(Point point);
    void release(Point point, int tapCount);
    void activate(const ScreenRenderer::Hit& hit);
    void navigationBarTap(Point point);

    KestrelApp* app_;
    ScreenRenderer renderer_;
    QTimer frameTimer_;
    ScreenRenderer::Hit pressed_;
    Point pressPoint_{};
    Point lastPoint_{};
    bool overlayTouch_ = false;
    bool viewerTouch_ = false;
    bool dragging_ = false;
    bool showingAlert_ = false;
    std::function<void()> firstFrame_;
};

}  // namespace kestrel::gui
