#pragma once

#include "core/app/KestrelApp.h"
#include "core/library/ImageTileCell.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/settingsui/RatioController.h"
#include "core/ui/AlertView.h"
#include "core/ui/AnimationBlock.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QPointingDevice>
#include <QTest>
#include <QTimer>
#include <QTouchEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace kestrel::test {

inline QPointingDevice* touchScreen() {
    static QPointingDevice* device =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

inline QPoint toQPoint(Point p) { return QPoint(static_cast<int>(p.x), static_cast<int>(p.y)); }

// The middle of a view on the screen (one point, one pixel of the window).
inline Point middleOnScreen(const View& view) {
    Point p{view.frame().width / 2, view.frame().height / 2};
    for (const View* v = &view; v; v = v->superview())
        p = v->toSuperview(p);
    return p;
}

// Counts the window's paints, and when (the run loop's time) the last one was.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(const RunLoop& loop) : loop_(&loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPaint = RunLoop::toSeconds(loop_->now());
        }
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
    double lastPaint = -1;

private:
    const RunLoop* loop_;
};

struct WindowSize {
    int width;
    int height;
};

// How the second tap of a double tap comes: the mouse's double-click as Qt
// sends it, or a touch screen's two quick taps.
enum class Input { kDoubleClick, kDoubleTap };

inline void PrintTo(const WindowSize& size, std::ostream* out) {
    *out << size.width << "x" << size.height;
}
inline void PrintTo(Input input, std::ostream* out) {
    *out << (input == Input::kDoubleClick ? "double-click" : "double tap");
}

// Input that lands while the screen changes under it: the second tap of a
// double-click on a button that opens or closes a screen, a key pressed as
// the settings close or with a finger held down, and the review sliding in
// after a shot. The window
// is shown on Qt's offscreen platform, over the simulated camera on virtual
// time; Qt's events are synthetic (QTest).
class TransitionInputWindow : public ::testing::TestWithParam<std::tuple<WindowSize, Input>> {
protected:
    TransitionInputWindow() : watch(loop) {
        qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            appOptions(dir.path()));
        Camera1Data& record = app->settings().record();
        record.setMode(Camera1Data::kStandard);
        record.setAutoSave(false);
        record.setFullScreenShutter(true);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        const WindowSize size = std::get<0>(GetParam());
        window->resize(size.width, size.height);
        window->installEventFilter(&watch);
        app->start();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
    }
    ~TransitionInputWindow() override {
        window.reset();
        AlertView::clearPending();
    }

    // Two virtual seconds with the other threads' posts and the window's events.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            loop.advance(0.1);
            while (loop.waitForPosts(std::chrono::milliseconds(20)))
                loop.runUntilIdle();
            QCoreApplication::processEvents();
        }
    }
    // The window's next animation frame: Qt's events until it has painted
    // (its frame timer is short), at most a second of them.
    void nextFrame() {
        const int before = watch.paints;
        QTimer bound;
        bound.setSingleShot(true);
        bound.start(1000);
        while (watch.paints == before && bound.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // A double-click or a double tap at a point, as GetParam() says.
    void doubleTapAt(Point at) {
        const QPoint point = toQPoint(at);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
        } else {
            for (int i = 0; i < 2; ++i) {
                QTest::touchEvent(window.get(), touchScreen()).press(0, point);
                QTest::touchEvent(window.get(), touchScreen()).release(0, point);
            }
        }
    }
    // The screen as drawn, kept where $KESTREL_SCREENSHOTS says.
    void keep(const std::string& name) {
        const QImage shot = window->screenshot();
        ASSERT_FALSE(shot.isNull());
        if (const char* folder = std::getenv("KESTREL_SCREENSHOTS"); folder && *folder) {
            const WindowSize size = std::get<0>(GetParam());
            std::filesystem::create_directories(folder);
            EXPECT_TRUE(shot.save(QString::fromStdString(
                std::string(folder) + "/transition-" + name + "-" + std::to_string(size.width) +
                "x" + std::to_string(size.height) + ".png")));
        }
    }
    void key(int which) { QTest::keyClick(window.get(), static_cast<Qt::Key>(which)); }
    CameraToolbar& bar() { return *app->cameraViews().toolBar; }
    bool cameraShown() { return &app->topController() == &app->root().cameraScreen(); }
    // What the settings screen shows: each control's name, value and state.
    std::vector<std::string> settingsShown() {
        window->screenshot();  // lays the rows out
        std::vector<std::string> shown;
        for (const auto& element : window->renderer().accessibleElements())
            shown.push_back(element.name + "=" + element.value + (element.checked ? "+" : "-"));
        return shown;
    }
    Point doneButton() { return Point{static_cast<float>(std::get<0>(GetParam()).width) - 30, 22}; }
    // The photos saved in the roll.
    std::vector<std::filesystem::path> photos() {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "DCIM"))
            if (entry.path().extension() == ".JPG" &&
                entry.path().string().find(".MISC") == std::string::npos)
                found.push_back(entry.path());
        return found;
    }
    // Photos in the roll: copies of one shot and its thumbnail, enough to fill the album's screen.
    void fillRoll(int count) {
        bar().shutterButton().press();
        loop.advance(SimulatedCamera::kShutterLag + 0.1);
        ASSERT_TRUE(awaitProcessing(loop, app->camera()));
        settle();
        bar().useButton().press();
        ASSERT_TRUE(awaitPhotos(loop, app->camera()));  // saved, its completion run
        settle();
        const auto shot = photos();
        ASSERT_EQ(shot.size(), 1u);
        const std::filesystem::path folder = shot[0].parent_path();
        const std::filesystem::path thumbnail =
            folder / ".MISC" / shot[0].filename().replace_extension(".THM");
        ASSERT_TRUE(std::filesystem::exists(thumbnail));
        for (int i = 2; i <= count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "IMG_%04d", i);
            std::filesystem::copy_file(shot[0], folder / (std::string(name) + ".JPG"));
            std::filesystem::copy_file(thumbnail, folder / ".MISC" / (std::string(name) + ".THM"));
        }
    }

    // A tap at a point, by the mouse or a finger as GetParam() says.
    void tapAt(Point at) {
        const QPoint point = toQPoint(at);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
        } else {
            QTest::touchEvent(window.get(), touchScreen()).press(0, point);
            QTest::touchEvent(window.get(), touchScreen()).release(0, point);
        }
    }
    // A finger (or the mouse) drawn up the screen from 80 % of its height to 30 %.
    void dragUp() {
        const WindowSize size = std::get<0>(GetParam());
        const QPoint from(size.width / 2, size.height * 8 / 10);
        const QPoint to(size.width / 2, size.height * 3 / 10);
        if (std::get<1>(GetParam()) == Input::kDoubleClick) {
            QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, from);
            for (int step = 1; step <= 4; ++step)
                QTest::mouseMove(window->windowHandle(), from + (to - from) * step / 4);
            QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, to);
        } else {
            QTest::touchEvent(window.get(), touchScreen()).press(0, from);
            for (int step = 1; step <= 4; ++step)
                QTest::touchEvent(window.get(), touchScreen()).move(0, from + (to - from) * step / 4);
            QTest::touchEvent(window.get(), touchScreen()).release(0, to);
        }
    }
    // The middle of the element whose name begins with `name` (the screen
    // drawn first, which lays its rows out), scrolled up into the window
    // when it lies below.
    std::optional<Point> elementNamed(const std::string& name) {
        for (int i = 0; i < 10; ++i) {
            window->screenshot();
            const WindowSize size = std::get<0>(GetParam());
            for (const auto& element : window->renderer().accessibleElements())
                if (element.name.starts_with(name) && element.rect.top() >= 44 &&
                    element.rect.bottom() <= size.height)
                    return Point{static_cast<float>(element.rect.center().x()),
                                 static_cast<float>(element.rect.center().y())};
            const auto x = static_cast<float>(size.width) / 2;
            const auto height = static_cast<float>(size.height);
            window->drag(Point{x, height * 0.8f}, Point{x, height * 0.5f});
        }
        ADD_FAILURE() << "no " << name << " on the screen";
        return std::nullopt;
    }
    Point backButton() { return Point{20, 22}; }
    // The settings opened (S) and their Photo Ratio row tapped: the chooser on its way in.
    void tapRatioRow() {
        key(Qt::Key_S);
        settle();
        const auto row = elementNamed("Photo Ratio");
        ASSERT_TRUE(row);
        tapAt(*row);
    }
    // The first tile of the album's row `row`, the album at its top.
    Point tile(int row) {
        const float width = static_cast<float>(std::get<0>(GetParam()).width);
        const float columns = static_cast<float>(app->screenLayout().albumColumns());
        return Point{std::floor((width - ImageTileCell::kTileWidth * columns) / 2) + 40,
                     44 + ImageTileCell::kTileWidth * static_cast<float>(row) + 40};
    }
    // Done, or Escape, until the camera shows again.
    void backToCamera() {
        for (int i = 0; i < 4 && !cameraShown(); ++i) {
            key(Qt::Key_Escape);
            settle();
        }
        ASSERT_TRUE(cameraShown());
    }
    NavigationController& settingsStack() { return app->settingsNavigation(); }

    TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    PaintWatch watch;
    std::unique_ptr<gui::KestrelWindow> window;
};

// Each shape with the input its device has: a laptop's mouse, a phone's
// touch screen (the two 320 and 360 wide columns).
inline auto transitionShapes() {
    return ::testing::Values(std::tuple{WindowSize{320, 480}, Input::kDoubleTap},
                             std::tuple{WindowSize{1280, 720}, Input::kDoubleClick},
                             std::tuple{WindowSize{360, 720}, Input::kDoubleTap});
}
inline std::string transitionShapeName(
    const ::testing::TestParamInfo<std::tuple<WindowSize, Input>>& shape) {
    const WindowSize size = std::get<0>(shape.param);
    return std::to_string(size.width) + "x" + std::to_string(size.height) +
           (std::get<1>(shape.param) == Input::kDoubleClick ? "_DoubleClick" : "_DoubleTap");
}

}  // namespace kestrel::test
