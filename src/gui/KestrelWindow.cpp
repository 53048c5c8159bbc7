#include "gui/KestrelWindow.h"

#include "core/ui/AlertView.h"
#include "core/ui/DisplayNeeds.h"
#include "gui/WindowAccessible.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <utility>

namespace kestrel::gui {

KestrelWindow::KestrelWindow(KestrelApp& app, CameraPicker* camera)
    : app_(&app),
      keys_(app),
      camera_(camera),
      renderer_(&app.camera().container(), camera,
                [&app] { return RunLoop::toSeconds(app.loop().now()); }),
      accessible_(
          *this,
          [this] {
              layOutScreen();
              renderer_.prepare(app_->topController());
              return renderer_.accessibleElements();
          },
          [this](Point point) { tap(point); }),
      touches_(*this,
               TouchSequence::DoubleTap{
                   QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0,
                   static_cast<float>(QGuiApplication::styleHints()->touchDoubleTapDistance())}) {
    accessible_.toWindow = [this](QRectF rect) { return screenToWindow().mapRect(rect); };
    WindowAccessible::installFactory();
    renderer_.setSizesPreview(true);
    renderer_.setPictureView(app.cameraViews().overlay.get());
    // Every paint covers the whole window: nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle("Kestrel");
    setMinimumSize(static_cast<int>(KestrelApp::kSmallestWindowSize.width),
                   static_cast<int>(KestrelApp::kSmallestWindowSize.height));
    const QSize available = screen() ? screen()->availableSize() : QSize(1920, 1080);
    const Size start = app.startingWindowSize(
        Size{static_cast<float>(available.width()), static_cast<float>(available.height())});
    resize(static_cast<int>(start.width), static_cast<int>(start.height));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_AcceptTouchEvents);
    animationFrame_.setSingleShot(true);
    animationFrame_.setInterval(kAnimationFrameMs);
    QObject::connect(&animationFrame_, &QTimer::timeout, this, [this] { update(); });
    sync_.setSingleShot(true);
    sync_.setInterval(0);
    QObject::connect(&sync_, &QTimer::timeout, this, [this] { syncWithScreens(); });
    // Told from inside the core's change: only asks for a drawing and a sync.
    DisplayNeeds::addObserver(this, [this] {
        update();
        sync_.start();
    });
}

void KestrelWindow::fitFrameOnScreen() {
    const QWindow* handle = windowHandle();
    const QScreen* on = screen();
    if (!handle || !on) return;
    const QSize room = on->availableSize().shrunkBy(handle->frameMargins());
    if (width() <= room.width() && height() <= room.height()) return;
    const Size fitted = app_->startingWindowSize(
        Size{static_cast<float>(room.width()), static_cast<float>(room.height())});
    resize(static_cast<int>(fitted.width), static_cast<int>(fitted.height));
}

KestrelWindow::~KestrelWindow() {
    DisplayNeeds::removeObserver(this);
    if (observingFrames_ && camera_) camera_->setFrameObserver(nullptr);
}

void KestrelWindow::syncWithScreens() {
    if (QAccessible::isActive()) {
        accessible_.refresh();
        accessible_.purge();
    }
    if (!showingAlert_ && AlertView::pending()) showAlerts();
}

void KestrelWindow::followLiveView() {
    const bool live = renderer_.showsCamera();
    if (!camera_ || live == observingFrames_) return;
    observingFrames_ = live;
    camera_->setFrameObserver(live ? std::function<void()>([this] { update(); }) : nullptr);
}

void KestrelWindow::layOutScreen() {
    const Size points{static_cast<float>(width()), static_cast<float>(height())};
    app_->setScreenSize(points, devicePixelRatioF());
    renderer_.setScreenSize(points);
}

void KestrelWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutScreen();
    update();
}

Point KestrelWindow::toScreen(QPointF position) const {
    const QPointF point = screenToWindow().inverted().map(position);
    return Point{static_cast<float>(point.x()), static_cast<float>(point.y())};
}

void KestrelWindow::paintEvent(QPaintEvent*) {
    {
        // What changes while the screen is drawn is drawn with it.
        const DisplayNeeds::Drawing drawing;
        layOutScreen();  // the camera's frames may have changed shape
        QPainter p(this);
        renderer_.paint(p, app_->topController());
        if (accessible_.focused()) accessible_.refresh();  // the screen may have changed under it
        if (const auto* focused = accessible_.focused()) {
            p.setPen(QPen(QColor(255, 204, 0), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(focused->rect.adjusted(1, 1, -1, -1), 4, 4);
        }
        if (keys_.keyListShown()) paintKeyList(p);
    }
    if (renderer_.animating() && !animationFrame_.isActive()) animationFrame_.start();
    followLiveView();
    // Told after the drawing: what the observer changes is drawn next.
    if (firstFrame_ && &app_->topController() == &app_->root().cameraScreen()) {
        auto observer = std::move(firstFrame_);
        firstFrame_ = nullptr;
        observer();
    }
}

QImage KestrelWindow::screenshot(double scale) {
    layOutScreen();
    const Size screen = renderer_.screenSize();
    QImage image(static_cast<int>(std::lround(screen.width * scale)),
                 static_cast<int>(std::lround(screen.height * scale)), QImage::Format_RGB32);
    QPainter p(&image);
    p.scale(scale, scale);
    renderer_.paint(p, app_->topController());
    if (keys_.keyListShown()) paintKeyList(p);
    return image;
}

void KestrelWindow::paintKeyList(QPainter& p) {
    // A dark panel over the whole screen: the keys on the left, what they do beside them.
    constexpr qreal kMargin = 12;
    constexpr qreal kKeysWidth = 104;
    constexpr qreal kGap = 8;
    const QRectF screen = renderer_.screenRect();
    p.save();
    p.fillRect(screen, QColor(0, 0, 0, 215));
    // The list in a column, centred on a wide screen, as the settings are read.
    const qreal columnWidth = std::min(screen.width(), qreal{ScreenLayout::kReadingWidth});
    p.translate(std::round((screen.width() - columnWidth) / 2), 0);
    const qreal actionWidth = columnWidth - 2 * kMargin - kKeysWidth - kGap;
    QFont title = p.font();
    title.setPixelSize(17);
    title.setBold(true);
    QFont keys = title;
    keys.setPixelSize(11);
    QFont action = keys;
    action.setBold(false);
    p.setPen(Qt::white);
    p.setFont(title);
    qreal y = 18;
    p.drawText(QRectF(kMargin, y, columnWidth - 2 * kMargin, 24),
               Qt::AlignLeft | Qt::AlignVCenter, "Keys");
    y += 34;
    for (const auto& line : KeyCommands::kKeyList) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        p.setFont(keys);
        const QRectF keysBox = p.boundingRect(QRectF(kMargin, y, kKeysWidth, 200), flags,
                                              QString::fromUtf8(line.keys));
        p.drawText(keysBox, flags, QString::fromUtf8(line.keys));
        p.setFont(action);
        const QRectF actionBox =
            p.boundingRect(QRectF(kMargin + kKeysWidth + kGap, y, actionWidth, 200), flags,
                           QString::fromUtf8(line.action));
        p.drawText(actionBox, flags, QString::fromUtf8(line.action));
        y += std::max(keysBox.height(), actionBox.height()) + 9;
    }
    p.setFont(action);
    p.setPen(QColor(200, 200, 200));
    p.drawText(QRectF(kMargin, screen.height() - 34, columnWidth - 2 * kMargin, 20),
               Qt::AlignCenter, "F1, ? or Escape closes this list");
    p.restore();
}

void KestrelWindow::press(Point point, int tapCount) {
    pressed_ = ScreenRenderer::Hit{};
    onNavigationBar_ = false;
    if (keys_.keyListShown()) {
        // A touch on the key list closes it and goes no further.
        touched_.began(&keys_, tapCount);
        keys_.hideKeyList();
        update();
        return;
    }
    pressPoint_ = point;
    drag_.end();
    layOutScreen();
    if (!touched_.began(shownScreen(), tapCount)) return;
    onNavigationBar_ =
        point.y < ScreenRenderer::kNavigationBarHeight && renderer_.navigation() != nullptr;
    pressed_ = onNavigationBar_ ? ScreenRenderer::Hit{} : renderer_.hitTest(point);
    if (!pressed_.view) return;
    drag_.press(point, pressed_.table);
    touch_ = Touch{pressed_.view, pressed_.local, tapCount};
    pressed_.view->touchesBegan(touch_);
}

const ViewController* KestrelWindow::shownScreen() {
    renderer_.prepare(app_->topController());
    if (NavigationController* navigation = renderer_.navigation())
        return &navigation->topViewController();
    return &app_->topController();
}

bool KestrelWindow::touchGoesOn() {
    if (touched_.continuesOn(shownScreen())) return true;
    const ScreenRenderer::Hit touched = std::exchange(pressed_, ScreenRenderer::Hit{});
    if (touched.view && !drag_.scrolling()) touched.view->touchesCancelled(touch_);
    onNavigationBar_ = false;
    drag_.end();
    return false;
}

Point KestrelWindow::touchLocation(Point point) const {
    return Point{pressed_.local.x + point.x - pressPoint_.x,
                 pressed_.local.y + point.y - pressPoint_.y};
}

void KestrelWindow::move(Point point) {
    if (!pressed_.view || !touchGoesOn()) return;
    switch (drag_.move(point)) {
        case TableDrag::Step::kBecameScroll:
            pressed_.view->touchesCancelled(touch_);  // a scroll is no tap any more
            update();
            break;
        case TableDrag::Step::kScrolls:
            update();  // the table scrolled: nothing else in the core changed
            break;
        case TableDrag::Step::kTouch:
            touch_.location = touchLocation(point);
            pressed_.view->touchesMoved(touch_);
            break;
    }
}

void KestrelWindow::release(Point point) {
    if ((onNavigationBar_ || pressed_.view) && !touchGoesOn()) return;
    if (onNavigationBar_) {
        onNavigationBar_ = false;
        NavigationController* navigation = renderer_.navigation();
        if (navigation && point.y < ScreenRenderer::kNavigationBarHeight) navigation->tapBar(point);
        return;
    }
    // Where the finger lifted, measured from where the pressed view was
    // touched: taken before the press is forgotten.
    touch_.location = touchLocation(point);
    const ScreenRenderer::Hit touched = std::exchange(pressed_, ScreenRenderer::Hit{});
    const bool scrolled = drag_.scrolling();
    drag_.end();
    if (!touched.view || scrolled) return;
    touched.view->touchesEnded(touch_);
}

void KestrelWindow::cancel() {
    onNavigationBar_ = false;
    // The touched view, kept for a pinch that follows the cancellation.
    pinched_ = std::exchange(pressed_, ScreenRenderer::Hit{});
    if (pinched_.view && !drag_.scrolling()) pinched_.view->touchesCancelled(touch_);
    drag_.end();
}

void KestrelWindow::pinchBegan(double scale) {
    if (pinched_.view) pinched_.view->pinchBegan(Pinch{pinched_.view, scale});
}

void KestrelWindow::pinchChanged(double scale) {
    if (pinched_.view) pinched_.view->pinchChanged(Pinch{pinched_.view, scale});
}

void KestrelWindow::pinchEnded(double scale) {
    const ScreenRenderer::Hit pinched = std::exchange(pinched_, ScreenRenderer::Hit{});
    if (pinched.view) pinched.view->pinchEnded(Pinch{pinched.view, scale});
}

void KestrelWindow::pinchCancelled(double scale) {
    const ScreenRenderer::Hit pinched = std::exchange(pinched_, ScreenRenderer::Hit{});
    if (pinched.view) pinched.view->pinchCancelled(Pinch{pinched.view, scale});
}

bool KestrelWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            touchEvent(static_cast<QTouchEvent&>(*event));
            event->accept();  // taken as touches: Qt makes no mouse of them
            return true;
        default:
            return QWidget::event(event);
    }
}

void KestrelWindow::touchEvent(QTouchEvent& event) {
    if (event.type() == QEvent::TouchCancel) {
        touches_.cancelled();
        return;
    }
    // On the run loop's clock, as every other time of the window's: two taps
    // are one double tap by the loop's time between them (the loop's clock
    // is virtual in tests, where events' own stamps are the wall clock's).
    const double time = RunLoop::toSeconds(app_->loop().now());
    // Fingers that land first, then those that move, then those that lift:
    // two fingers landing together make a pinch, not two taps.
    for (const QEventPoint& finger : event.points())
        if (finger.state() == QEventPoint::State::Pressed)
            touches_.fingerDown(finger.id(), toScreen(finger.position()), time);
    for (const QEventPoint& finger : event.points())
        if (finger.state() == QEventPoint::State::Updated)
            touches_.fingerMoved(finger.id(), toScreen(finger.position()));
    for (const QEventPoint& finger : event.points())
        if (finger.state() == QEventPoint::State::Released)
            touches_.fingerUp(finger.id(), toScreen(finger.position()));
}

void KestrelWindow::tap(Point point, int tapCount) {
    press(point, tapCount);
    release(point);
}

void KestrelWindow::doubleClick(Point point) {
    tap(point, 1);
    tap(point, 2);
}

void KestrelWindow::drag(Point from, Point to) {
    press(from, 1);
    move(Point{(from.x + to.x) / 2, (from.y + to.y) / 2});
    move(to);
    release(to);
}

// A mouse event Qt made from a touch screen's finger: that finger came as a touch already.
static bool fromTouch(const QMouseEvent& event) {
    const QPointingDevice* device = event.pointingDevice();
    return device && device->type() == QInputDevice::DeviceType::TouchScreen;
}

void KestrelWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !fromTouch(*event))
        press(toScreen(event->position()), 1);
}
void KestrelWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!fromTouch(*event)) move(toScreen(event->position()));
}
void KestrelWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !fromTouch(*event))
        release(toScreen(event->position()));
}
// Qt sends press, release, double-click, release: the double-click is the
// second tap's press, counted as such (its release follows as usual).
void KestrelWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !fromTouch(*event))
        press(toScreen(event->position()), 2);
}

void KestrelWindow::wheelEvent(QWheelEvent* event) {
    const ScreenRenderer::Hit hit = renderer_.hitTest(toScreen(event->position()));
    if (!hit.table) return;
    if (pressed_.view && drag_.scrolledUnder(hit.table) == TableDrag::Step::kBecameScroll)
        pressed_.view->touchesCancelled(touch_);  // a held row scrolled away is no tap
    hit.table->scrollBy(static_cast<float>(-event->angleDelta().y()) / 4);
    update();
}

void KestrelWindow::keyPressEvent(QKeyEvent* event) {
    // The key list and the focus ring are the window's own: drawn again
    // after any key, which may have changed either.
    update();
    using Key = KeyCommands::Key;
    // Tab focus: Tab and Shift+Tab move it, Space and Return press what has it, Escape drops it.
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!keys_.keyListShown()) accessible_.moveFocus(event->key() == Qt::Key_Tab);
            return;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            if (const auto* focused = accessible_.focused(); focused && !keys_.keyListShown()) {
                const std::string key = focused->key;
                if (event->key() == Qt::Key_Escape) {
                    accessible_.clearFocus();
                } else if (!event->isAutoRepeat()) {
                    accessible_.refresh();
                    if (!accessible_.press(key)) accessible_.clearFocus();
                }
                return;
            }
            break;
        default:
            break;
    }
    std::optional<Key> key;
    switch (event->key()) {
        case Qt::Key_Space:
            key = Key::kSpace;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = Key::kReturn;
            break;
        case Qt::Key_Backspace:
            key = Key::kBackspace;
            break;
        case Qt::Key_Escape:
            key = Key::kEscape;
            break;
        case Qt::Key_A:
            key = Key::kA;
            break;
        case Qt::Key_S:
            key = Key::kS;
            break;
        case Qt::Key_M:
            key = Key::kM;
            break;
        // Phones and Bluetooth remote shutters send the volume keys.
        case Qt::Key_VolumeUp:
            key = Key::kVolumeUp;
            break;
        case Qt::Key_VolumeDown:
            key = Key::kVolumeDown;
            break;
        case Qt::Key_Camera:
            key = Key::kCamera;
            break;
        case Qt::Key_F1:
        case Qt::Key_Question:
            key = Key::kHelp;
            break;
        default:
            break;
    }
    if (key && !event->isAutoRepeat()) {
        keys_.press(*key);
        return;
    }
    if (!key) QWidget::keyPressEvent(event);
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
    // The title says what is asked, the message what follows from it.
    if (!alert->title().empty() && !alert->message().empty()) {
        box.setText(QString::fromStdString(alert->title()));
        box.setInformativeText(QString::fromStdString(alert->message()));
    } else {
        box.setText(
            QString::fromStdString(alert->message().empty() ? alert->title() : alert->message()));
    }
    std::vector<QAbstractButton*> buttons;
    for (int i = 0; i < static_cast<int>(alert->buttons().size()); ++i) {
        const auto role = i == alert->cancelButtonIndex()        ? QMessageBox::RejectRole
                          : i == alert->destructiveButtonIndex() ? QMessageBox::DestructiveRole
                                                                 : QMessageBox::AcceptRole;
        QPushButton* button = box.addButton(
            QString::fromStdString(alert->buttons()[static_cast<std::size_t>(i)]), role);
        buttons.push_back(button);
        // Return and Escape pick the safe answer, never the destructive one.
        if (i == alert->defaultButtonIndex()) {
            box.setDefaultButton(button);
            box.setEscapeButton(button);
        }
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
