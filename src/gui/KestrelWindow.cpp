#include "gui/KestrelWindow.h"

#include "core/camera/CameraOverlayView.h"
#include "core/library/CameraRollViewer.h"
#include "core/ui/AlertView.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QWheelEvent>

#include <cmath>

namespace kestrel::gui {

KestrelWindow::KestrelWindow(KestrelApp& app, CameraPicker* camera)
    : app_(&app), renderer_(&app.camera().container(), camera, [&app] {
          return RunLoop::toSeconds(app.loop().now());
      }) {
    setWindowTitle("Kestrel");
    setMinimumSize(240, 360);
    resize(400, 600);
    setFocusPolicy(Qt::StrongFocus);
    frameTimer_.setInterval(33);
    QObject::connect(&frameTimer_, &QTimer::timeout, this, [this] {
        update();
        if (!showingAlert_ && AlertView::pending()) showAlerts();
    });
    frameTimer_.start();
}

QTransform KestrelWindow::screenToWindow() const {
    const double scale = std::min(width() / double{ScreenRenderer::kWidth},
                                  height() / double{ScreenRenderer::kHeight});
    QTransform placed;
    placed.translate((width() - ScreenRenderer::kWidth * scale) / 2,
                     (height() - ScreenRenderer::kHeight * scale) / 2);
    placed.scale(scale, scale);
    return placed;
}

Point KestrelWindow::toScreen(QPointF position) const {
    const QPointF point = screenToWindow().inverted().map(position);
    return Point{static_cast<float>(point.x()), static_cast<float>(point.y())};
}

void KestrelWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setTransform(screenToWindow());
    p.setClipRect(QRectF(0, 0, ScreenRenderer::kWidth, ScreenRenderer::kHeight));
    renderer_.paint(p, app_->topController());
    if (firstFrame_ && &app_->topController() == &app_->root().cameraScreen()) {
        auto observer = std::move(firstFrame_);
        firstFrame_ = nullptr;
        observer();
    }
}

QImage KestrelWindow::screenshot(double scale) {
    QImage image(static_cast<int>(ScreenRenderer::kWidth * scale),
                 static_cast<int>(ScreenRenderer::kHeight * scale), QImage::Format_RGB32);
    QPainter p(&image);
    p.scale(scale, scale);
    renderer_.paint(p, app_->topController());
    return image;
}

void KestrelWindow::navigationBarTap(Point point) {
    NavigationController* navigation = renderer_.navigation();
    if (!navigation) return;
    if (point.x < 90 && navigation->depth() > 1) {
        navigation->popViewController(true);
    } else if (point.x > 230) {
        if (const auto& right = navigation->topViewController().rightBarButton()) right->press();
    }
}

void KestrelWindow::press(Point point) {
    pressPoint_ = lastPoint_ = point;
    dragging_ = false;
    renderer_.prepare(app_->topController());
    pressed_ = renderer_.hitTest(point);
    overlayTouch_ = false;
    viewerTouch_ = false;
    for (View* v = pressed_.view; v; v = v->superview()) {
        if (dynamic_cast<CameraOverlayView*>(v)) {
            overlayTouch_ = true;
            app_->camera().touchesBegan(pressed_.local);
            return;
        }
    }
    if (auto* viewer = renderer_.navigation() ? dynamic_cast<CameraRollViewer*>(
                                                    &renderer_.navigation()->topViewController())
                                              : nullptr;
        viewer && pressed_.view && pressed_.view != &viewer->toolBar() &&
        pressed_.view->superview() != &viewer->toolBar()) {
        viewerTouch_ = true;
        viewer->touchesBegan(point);
    }
}

void KestrelWindow::move(Point point) {
    if (overlayTouch_) {
        const Point shift{point.x - pressPoint_.x, point.y - pressPoint_.y};
        app_->camera().touchesMoved(Point{pressed_.local.x + shift.x, pressed_.local.y + shift.y});
        return;
    }
    if (pressed_.table && std::abs(point.y - pressPoint_.y) > 6) dragging_ = true;
    if (dragging_ && pressed_.table) renderer_.scrollTable(pressed_.table, lastPoint_.y - point.y);
    lastPoint_ = point;
}

void KestrelWindow::release(Point point, int tapCount) {
    if (point.y < ScreenRenderer::kNavigationBarHeight &&
        pressPoint_.y < ScreenRenderer::kNavigationBarHeight && renderer_.navigation()) {
        navigationBarTap(point);
        return;
    }
    if (overlayTouch_) {
        const Point shift{point.x - pressPoint_.x, point.y - pressPoint_.y};
        app_->camera().touchesEnded(Point{pressed_.local.x + shift.x, pressed_.local.y + shift.y},
                                    tapCount);
        overlayTouch_ = false;
        return;
    }
    if (viewerTouch_) {
        viewerTouch_ = false;
        if (auto* viewer =
                renderer_.navigation()
                    ? dynamic_cast<CameraRollViewer*>(&renderer_.navigation()->topViewController())
                    : nullptr) {
            viewer->touchesEnded(point);
            return;
        }
    }
    if (dragging_) return;
    activate(pressed_);
}

void KestrelWindow::activate(const ScreenRenderer::Hit& hit) {
    for (View* v = hit.view; v; v = v->superview()) {
        if (auto* button = dynamic_cast<Button*>(v)) {
            button->press();
            return;
        }
        if (auto* toggle = dynamic_cast<Switch*>(v)) {
            toggle->toggle();
            return;
        }
        if (auto* segments = dynamic_cast<SegmentedControl*>(v)) {
            // The segment under the point: find the point in the control's coordinates.
            float x = hit.local.x;
            for (View* inner = hit.view; inner && inner != v; inner = inner->superview())
                x += inner->frame().x;
            const int n = segments->numberOfSegments();
            if (n > 0)
                segments->choose(std::clamp(
                    static_cast<int>(x / (v->frame().width / static_cast<float>(n))), 0, n - 1));
            return;
        }
        if (hit.table && v == hit.view && hit.row) break;
    }
    if (hit.table && hit.row) {
        auto* cell = dynamic_cast<TableViewCell*>(hit.view);
        TableViewCell* row = cell;
        for (View* v = hit.view; v && !row; v = v->superview())
            row = dynamic_cast<TableViewCell*>(v);
        if (row && row->touchesEnded(hit.inRow, 1)) return;
        hit.table->selectRow(*hit.row);
    }
}

void KestrelWindow::tap(Point point, int tapCount) {
    press(point);
    release(point, tapCount);
}

void KestrelWindow::drag(Point from, Point to) {
    press(from);
    move(Point{(from.x + to.x) / 2, (from.y + to.y) / 2});
    move(to);
    release(to, 1);
}

void KestrelWindow::mousePressEvent(QMouseEvent* event) { press(toScreen(event->position())); }
void KestrelWindow::mouseMoveEvent(QMouseEvent* event) { move(toScreen(event->position())); }
void KestrelWindow::mouseReleaseEvent(QMouseEvent* event) {
    release(toScreen(event->position()), 1);
}
void KestrelWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    const Point point = toScreen(event->position());
    press(point);
    release(point, 2);
}

void KestrelWindow::wheelEvent(QWheelEvent* event) {
    const ScreenRenderer::Hit hit = renderer_.hitTest(toScreen(event->position()));
    if (hit.table)
        renderer_.scrollTable(hit.table, static_cast<float>(-event->angleDelta().y()) / 4);
}

void KestrelWindow::keyPressEvent(QKeyEvent* event) {
    CameraToolbar& bar = *app_->cameraViews().toolBar;
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
            bar.shutterButton().press();
            break;
        case Qt::Key_A:
            bar.albumButton().press();
            break;
        case Qt::Key_S:
            bar.settingsButton().press();
            break;
        case Qt::Key_M:
            app_->nextMode();
            break;
        case Qt::Key_Escape:
            if (NavigationController* navigation = renderer_.navigation()) {
                if (navigation->depth() > 1)
                    navigation->popViewController(true);
                else if (const auto& right = navigation->topViewController().rightBarButton())
                    right->press();
            }
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void KestrelWindow::showAlerts(std::optional<int> answer) {
    const auto alert = AlertView::pending();
    if (!alert) return;
    if (answer) {
        AlertView::answer(*answer);
        return;
    }
    showingAlert_ = true;
    QMessageBox box(this);
    box.setWindowTitle(QString::fromStdString(alert->title().empty() ? "Kestrel" : alert->title()));
    box.setText(
        QString::fromStdString(alert->message().empty() ? alert->title() : alert->message()));
    std::vector<QAbstractButton*> buttons;
    for (int i = 0; i < static_cast<int>(alert->buttons().size()); ++i) {
        const auto role = i == alert->cancelButtonIndex()        ? QMessageBox::RejectRole
                          : i == alert->destructiveButtonIndex() ? QMessageBox::DestructiveRole
                                                                 : QMessageBox::AcceptRole;
        buttons.push_back(box.addButton(
            QString::fromStdString(alert->buttons()[static_cast<std::size_t>(i)]), role));
    }
    box.exec();
    int chosen = alert->cancelButtonIndex();
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i)
        if (box.clickedButton() == buttons[static_cast<std::size_t>(i)]) chosen = i;
    showingAlert_ = false;
    AlertView::answer(chosen);
}

void KestrelWindow::closeEvent(QCloseEvent* event) {
    app_->terminate();
    event->accept();
}

}  // namespace kestrel::gui
