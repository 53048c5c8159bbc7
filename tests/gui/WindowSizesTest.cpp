#include "core/app/KestrelApp.h"
#include "core/library/CameraRollViewer.h"
#include "core/settingsui/RatioController.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/CameraWaits.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/WindowSize.h"

#include <QAccessible>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>

namespace kestrel {
namespace {

using test::WindowSize;
using test::sizeName;

// Where a view lies on the screen: its frame moved by every superview's.
Rect onScreen(const View& view) {
    Rect r = view.frame();
    for (const View* up = view.superview(); up; up = up->superview()) {
        r.x += up->frame().x;
        r.y += up->frame().y;
    }
    return r;
}
Point centreOf(const Rect& r) { return Point{r.x + r.width / 2, r.y + r.height / 2}; }

// The application in a window of one size, on the simulated camera.
class WindowSizesTest : public ::testing::TestWithParam<WindowSize> {
protected:
    WindowSizesTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(false);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(GetParam().width, GetParam().height);
        app->start();
        loop.advance(0.5);
        window->screenshot();  // the first paint lays the screens out for the window
    }
    ~WindowSizesTest() override { AlertView::clearPending(); }

    Rect windowRect() const {
        return Rect{0, 0, static_cast<float>(GetParam().width),
                    static_cast<float>(GetParam().height)};
    }
    void key(int which) {
        QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &press);
    }
    // Drawn (which lays table rows out), and kept as PNG where someone will look.
    void screenshot(const std::string& screen) {
        const QImage shot = window->screenshot(1.0);
        EXPECT_EQ(shot.width(), GetParam().width);
        EXPECT_EQ(shot.height(), GetParam().height);
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(shot.save(QString::fromStdString(std::string(kept) + "/size-" +
                                                         sizeName(GetParam()) + "-" + screen +
                                                         ".png")));
        }
    }
    // Every control of the screen on show lies in the window, a tap at its
    // centre reaches it, Tab stops on it, and assistive technology finds it
    // where it is drawn.
    void expectEveryControlReachable(const std::string& screen) {
        SCOPED_TRACE(screen);
        screenshot(screen);
        gui::AccessibleScreen& accessible = window->accessibleScreen();
        accessible.refresh();
        const auto elements = accessible.elements();
        ASSERT_FALSE(elements.empty());
        const QRectF inWindow(0, 0, GetParam().width, GetParam().height);
        std::set<std::string> tabStops;
        int actionable = 0;
        for (const auto& element : elements) {
            SCOPED_TRACE(element.name);
            const QRectF& r = element.rect;
            // Everything but a list's rows is whole on the screen.
            EXPECT_GE(r.left(), -0.01);
            EXPECT_LE(r.right(), inWindow.right() + 0.01);
            if (inList(element)) {
                EXPECT_TRUE(r.intersects(inWindow));
            } else {
                EXPECT_GE(r.top(), -0.01);
                EXPECT_LE(r.bottom(), inWindow.bottom() + 0.01);
            }
            if (!element.actionable() || !element.enabled) continue;
            ++actionable;
            tabStops.insert(element.key);
            expectTapReaches(element, r.intersected(inWindow).center());
        }
        // Tab goes round every control once, back to the first.
        std::set<std::string> visited;
        accessible.clearFocus();
        for (int i = 0; i < actionable; ++i) {
            key(Qt::Key_Tab);
            ASSERT_NE(accessible.focused(), nullptr);
            visited.insert(accessible.focused()->key);
        }
        EXPECT_EQ(visited, tabStops);
        accessible.clearFocus();
        // Assistive technology sees the same controls, where they are drawn in the window.
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(root->childCount(), static_cast<int>(elements.size()));
        const QRect global(window->mapToGlobal(QPoint(0, 0)), window->size());
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* child = root->child(i);
            ASSERT_NE(child, nullptr);
            const auto& element = elements[static_cast<std::size_t>(i)];
            const bool seen = inList(element) ? global.intersects(child->rect())
                                               : global.contains(child->rect().center());
            EXPECT_TRUE(seen) << element.name << " at " << child->rect().x() << ", "
                              << child->rect().y();
        }
    }
    // Rows of a list, and what they hold, may run on past the bottom, to be scrolled to.
    static bool inList(const gui::ScreenRenderer::Element& element) {
        return element.kind == gui::ScreenRenderer::Element::Kind::kRow ||
               element.key.find('@') != std::string::npos;
    }
    // A tap at `point` reaches the element: the navigation bar's buttons by
    // where they lie on the bar, the rest by the view under the point.
    void expectTapReaches(const gui::ScreenRenderer::Element& element, QPointF point) {
        using Kind = gui::ScreenRenderer::Element::Kind;
        const Point at{static_cast<float>(point.x()), static_cast<float>(point.y())};
        if (element.kind == Kind::kBack || element.kind == Kind::kBarButton) {
            EXPECT_LT(at.y, gui::ScreenRenderer::kNavigationBarHeight);
            if (element.kind == Kind::kBack) {
                EXPECT_LT(at.x, 90);
            } else {
                EXPECT_GT(at.x, GetParam().width - 90);
            }
            return;
        }
        const gui::ScreenRenderer::Hit hit = window->renderer().hitTest(at);
        ASSERT_NE(hit.view, nullptr) << element.name;
        if (element.kind == Kind::kRow) {
            EXPECT_NE(hit.table, nullptr) << element.name;
            return;
        }
        // The element's key ends in its view's address (a segment's adds "#n").
        std::string key = element.key.substr(0, element.key.find('#'));
        key = key.substr(key.rfind('/') + 1);
        EXPECT_EQ(std::to_string(reinterpret_cast<std::uintptr_t>(hit.view)), key)
            << element.name << " is not what a tap at its centre reaches";
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_P(WindowSizesTest, EveryScreenFitsTheWindowAndEveryControlIsReachable) {
    const ScreenLayout& layout = app->screenLayout();
    ASSERT_EQ(layout.screen(), (Size{windowRect().width, windowRect().height}));
    CameraViewManager& views = app->cameraViews();
    CameraToolbar& bar = *views.toolBar;

    // Live: the picture and the toolbar share the window, the read-outs on the picture.
    EXPECT_EQ(views.overlay->frame(), layout.pictureArea());
    EXPECT_EQ(app->camera().container().frame(), windowRect());
    expectEveryControlReachable("camera");

    // Review: the toolbar's other page, then Use saves the picture into the use button.
    window->tap(centreOf(onScreen(bar.shutterButton())));
    loop.advance(0.5);  // the shutter lag
    ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
    loop.runUntilIdle();
    loop.advance(1.0);  // the toolbar slides to its review page
    ASSERT_TRUE(bar.reviewPageShown());
    EXPECT_EQ(views.saveImageView->frame(), layout.pictureArea());
    expectEveryControlReachable("review");
    const Point use = centreOf(onScreen(bar.useButton()));
    window->tap(use);
    ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));
    loop.runUntilIdle();
    EXPECT_EQ(views.saveImageView->center(), layout.saveTarget(false));
    loop.advance(1.5);
    EXPECT_FALSE(bar.reviewPageShown());

    // The settings, in their reading column.
    window->tap(centreOf(onScreen(bar.settingsButton())));
    loop.advance(1.0);
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    EXPECT_EQ(app->settingsScreen().view().frame(), layout.readingColumn());
    expectEveryControlReachable("settings");
    // A chooser, from its row, and About: in the same column.
    SettingsController& settings = app->settingsScreen();
    const auto elements = window->accessibleScreen().elements();
    const auto ratioRow = std::find_if(elements.begin(), elements.end(), [](const auto& e) {
        return e.kind == gui::ScreenRenderer::Element::Kind::kRow && e.name.starts_with("Photo Ratio");
    });
    ASSERT_NE(ratioRow, elements.end());
    const QPointF ratioAt = ratioRow->rect.center();
    window->tap(Point{static_cast<float>(ratioAt.x()), static_cast<float>(ratioAt.y())});
    loop.advance(0.5);
    ASSERT_EQ(&app->settingsNavigation().topViewController(), settings.ratioController());
    EXPECT_EQ(settings.ratioController()->view().frame(), layout.readingColumn());
    expectEveryControlReachable("ratio");
    window->tap(Point{20, 22});  // back
    loop.advance(0.5);
    ASSERT_NE(settings.aboutCell(), nullptr);
    settings.didSelectRow(settings.tableView(), IndexPath{2, 0});
    loop.advance(0.5);
    ASSERT_EQ(&app->settingsNavigation().topViewController(), settings.aboutController());
    EXPECT_EQ(settings.aboutController()->view().frame(), layout.readingColumn());
    expectEveryControlReachable("about");
    window->tap(Point{20, 22});  // back
    loop.advance(0.5);
    ASSERT_EQ(&app->settingsNavigation().topViewController(), &settings);
    window->tap(Point{windowRect().width - 20, 22});  // Done
    loop.advance(1.0);
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());

    // The album: as many tiles across as the width holds, the photo in the first.
    window->tap(centreOf(onScreen(bar.albumButton())));
    loop.advance(0.5);
    ASSERT_TRUE(app->albumShown());
    EXPECT_EQ(app->album().columns(), layout.albumColumns());
    window->screenshot();  // lays the rows out and asks for their thumbnails
    while (loop.waitForPosts(std::chrono::milliseconds(300)))
        loop.runUntilIdle();
    expectEveryControlReachable("album");

    // The viewer, from the first tile: the photo over the width.
    const float margin = std::floor(
        (windowRect().width - ImageTileCell::kTileWidth * static_cast<float>(layout.albumColumns())) / 2);
    window->tap(Point{margin + 40, 44 + 40});
    loop.advance(0.3);
    auto& navigation = dynamic_cast<NavigationController&>(app->topController());
    ASSERT_EQ(navigation.depth(), 2u);
    auto& viewer = dynamic_cast<CameraRollViewer&>(navigation.topViewController());
    EXPECT_EQ(viewer.imageView().frame(), layout.viewerPicture());
    const Size pixels = layout.viewerPixels();
    const Image shown = viewer.imageView().image();
    ASSERT_TRUE(shown);
    // Decoded for the window's pixels, up to the 640 x 480 still's own.
    EXPECT_EQ(std::min(shown.size().width, shown.size().height),
              std::min(std::min(pixels.width, pixels.height), 480.0f));
    expectEveryControlReachable("viewer");
}

// The count-down digits, the sensing panel, the zoom read-out and the mode
// icon show on the picture, never under the toolbar or out of the window.
TEST_P(WindowSizesTest, TheReadOutsShowOnThePicture) {
    Camera1Data& record = app->settings().record();
    record.setGrid(true);
    record.setDigitalZoom(true);
    CameraViewManager& views = app->cameraViews();
    const Rect picture = app->screenLayout().pictureArea();
    auto expectOnPicture = [&](const View& view) {
        const Rect r = onScreen(view);
        EXPECT_FALSE(view.hidden());
        EXPECT_GE(r.x, picture.x);
        EXPECT_GE(r.y, picture.y);
        EXPECT_LE(r.x + r.width, picture.x + picture.width);
        EXPECT_LE(r.y + r.height, picture.y + picture.height);
    };

    record.setMode(Camera1Data::kTimer);
    app->camera().reset();
    key(Qt::Key_Space);
    loop.advance(2.0);
    {
        SCOPED_TRACE("count-down");
        expectOnPicture(*views.timerLabel);
        screenshot("countdown");
    }
    key(Qt::Key_Space);  // stopped

    record.setMode(Camera1Data::kSound);  // no microphone here: it listens, and never fires
    app->camera().reset();
    loop.advance(0.5);
    key(Qt::Key_Space);
    loop.advance(0.3);
    ASSERT_EQ(app->camera().handler()->state(), CameraHandler::kSensing);
    {
        SCOPED_TRACE("sensing");
        expectOnPicture(*views.sensorView);
        screenshot("sensing");
    }
    key(Qt::Key_Space);

    key(Qt::Key_M);  // the next mode's icon
    {
        SCOPED_TRACE("mode icon");
        expectOnPicture(*views.modeImage);
    }
    const Point middle{picture.x + picture.width / 2, picture.y + picture.height / 2};
    window->drag(middle, Point{middle.x + 60, middle.y});
    {
        SCOPED_TRACE("zoom");
        EXPECT_GT(app->camera().zoom(), 1.0f);
        expectOnPicture(*views.zoomView);
        screenshot("zoom");
    }
    key(Qt::Key_F1);
    screenshot("keys");
    key(Qt::Key_F1);
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowSizesTest,
                         ::testing::Values(WindowSize{320, 480}, WindowSize{400, 600},
                                           WindowSize{1280, 720}, WindowSize{1920, 1080},
                                           WindowSize{360, 720},
                                           // The smallest window, and a short wide one.
                                           WindowSize{240, 360}, WindowSize{640, 360}),
                         [](const auto& size) { return sizeName(size.param); });

}  // namespace
}  // namespace kestrel
