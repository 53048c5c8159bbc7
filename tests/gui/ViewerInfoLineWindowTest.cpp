// The viewer's info line in the window: what took a photo Kestrel took, on a
// strip over the bottom of the picture that leaves the title and the
// toolbar's buttons free; nothing for a photo without Kestrel's comment.
#include "core/app/KestrelApp.h"
#include "core/library/CameraRollViewer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/WindowSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;
using Element = gui::ScreenRenderer::Element;

using test::WindowSize;
using test::sizeName;

class ViewerInfoLineWindowTest : public ::testing::TestWithParam<WindowSize> {
protected:
    ViewerInfoLineWindowTest() {
        test::qtApplication();
        // Another camera's photo first: a dark picture, no comment.
        CameraRoll roll((dir / "DCIM").string());
        roll.parse(true);
        EXPECT_TRUE(roll.saveImage(TestImages::uniform(640, 480, Rgb{20, 60, 20}),
                                   TestImages::uniform(75, 75, Rgb{20, 60, 20}),
                                   TestImages::uniform(55, 55, Rgb{20, 60, 20})));
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
        window->screenshot();
    }
    ~ViewerInfoLineWindowTest() override { AlertView::clearPending(); }

    // Drawn at a pixel a point, and kept as PNG where someone will look.
    QImage screenshot(const std::string& name) {
        const QImage shot = window->screenshot(1.0);
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(shot.save(QString::fromStdString(std::string(kept) + "/viewer-info-" +
                                                         sizeName(GetParam()) + "-" + name + ".png")));
        }
        return shot;
    }
    std::vector<Element> elements() {
        gui::AccessibleScreen& accessible = window->accessibleScreen();
        accessible.refresh();
        return accessible.elements();
    }
    static int nearWhite(const QImage& shot, const QRect& area) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                n += c.red() > 200 && c.green() > 200 && c.blue() > 200;
            }
        return n;
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer = std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_P(ViewerInfoLineWindowTest, APhotoKestrelTookSaysWhatTookItAndOthersSayNothing) {
    // A picture taken with the shutter and kept with Use.
    CameraControllerHelper& screen = app->camera();
    screen.shutter();
    loop.advance(0.5);
    ASSERT_TRUE(test::awaitProcessing(loop, screen));
    loop.advance(1.0);
    screen.use();
    ASSERT_TRUE(test::awaitPhotos(loop, screen));
    loop.advance(1.5);

    app->cameraViews().toolBar->albumButton().press();
    loop.advance(0.5);
    ASSERT_TRUE(app->albumShown());
    app->album().showImage(1);
    loop.advance(0.5);
    auto& viewer = dynamic_cast<CameraRollViewer&>(app->albumNavigation().topViewController());
    ASSERT_EQ(viewer.title(), "2 of 2");
    EXPECT_FALSE(viewer.infoLine().hidden());
    EXPECT_EQ(viewer.infoLine().text(), "Kestrel: shutter");

    const QImage shown = screenshot("kestrel");
    const auto withLine = elements();
    const auto line = std::find_if(withLine.begin(), withLine.end(), [](const Element& e) {
        return e.kind == Element::Kind::kLabel && e.name == "Kestrel: shutter";
    });
    ASSERT_NE(line, withLine.end());
    const QRectF strip = line->rect;
    // Across the window, under the navigation bar, above every button of the toolbar.
    EXPECT_DOUBLE_EQ(strip.left(), 0);
    EXPECT_DOUBLE_EQ(strip.width(), GetParam().width);
    EXPECT_GE(strip.top(), gui::ScreenRenderer::kNavigationBarHeight);
    int buttons = 0;
    for (const Element& e : withLine) {
        if (e.kind != Element::Kind::kButton) continue;
        ++buttons;
        EXPECT_FALSE(strip.intersects(e.rect)) << e.name;
        const QPointF centre = e.rect.center();
        const auto hit = window->renderer().hitTest(
            Point{static_cast<float>(centre.x()), static_cast<float>(centre.y())});
        EXPECT_NE(dynamic_cast<Button*>(hit.view), nullptr) << e.name << " is not what a tap reaches";
    }
    EXPECT_EQ(buttons, 4);  // previous, play, next, delete
    // Drawn: light text on the dark strip (the photo under it darkened).
    const QRect area = strip.toAlignedRect().intersected(shown.rect());
    EXPECT_GT(nearWhite(shown, area), 20);

    // The other camera's photo: no line, nothing for a screen reader.
    viewer.previous();
    loop.advance(1.0);
    ASSERT_EQ(viewer.title(), "1 of 2");
    EXPECT_TRUE(viewer.infoLine().hidden());
    const QImage plain = screenshot("other");
    EXPECT_EQ(nearWhite(plain, area), 0);
    for (const Element& e : elements()) EXPECT_EQ(e.name.rfind("Kestrel:", 0), std::string::npos) << e.name;
}

INSTANTIATE_TEST_SUITE_P(Windows, ViewerInfoLineWindowTest,
                         ::testing::Values(WindowSize{320, 480}, WindowSize{1280, 720}, WindowSize{360, 720}),
                         [](const auto& size) { return sizeName(size.param); });

}  // namespace
}  // namespace kestrel
