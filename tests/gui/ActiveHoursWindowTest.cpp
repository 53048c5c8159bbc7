#include "core/app/KestrelApp.h"
#include "core/modes/CameraTimerHandler.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/FixedSystemInfo.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/LocalTime.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

namespace kestrel {
namespace {

using Element = gui::ScreenRenderer::Element;

struct Window {
    int width;
    int height;
    const char* system;  // the settings' way in: on top of the camera before 4.0, in its place from 4.0
};
void PrintTo(const Window& w, std::ostream* out) {
    *out << w.width << "x" << w.height << " on " << w.system;
}
std::string nameOf(const Window& w) {
    std::string system = w.system;
    for (char& c : system)
        if (c == '.') c = '_';
    return std::to_string(w.width) + "x" + std::to_string(w.height) + "_system_" + system;
}

// The active hours chosen in the window, as a user taps them (the timer's
// row, its chooser, the lists of the two ends), then the camera screen
// saying why nothing is taken.
class ActiveHoursWindowTest : public ::testing::TestWithParam<Window> {
protected:
    ActiveHoursWindowTest() : info(GetParam().system, "x86_64"), system(info) {
        test::qtApplication();
        KestrelApp::Options options = test::appOptions(dir.path());
        options.system = &system;
        // Noon: outside the night's hours chosen below.
        loop.setWallStart(test::localTime(2026, 6, 15, 12, 0));
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            options);
        record().setMode(Camera1Data::kTimer);
        record().setAutoSave(false);
        record().timer().setTimerDelay(5);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(GetParam().width, GetParam().height);
        app->start();
        loop.advance(0.5);
        window->screenshot();
    }
    ~ActiveHoursWindowTest() override { AlertView::clearPending(); }

    Camera1Data& record() { return app->settings().record(); }
    QRectF windowRect() const { return QRectF(0, 0, GetParam().width, GetParam().height); }

    // Drawn, and kept as PNG where someone will look.
    void screenshot(const std::string& screen) {
        const QImage shot = window->screenshot(1.0);
        EXPECT_EQ(shot.width(), GetParam().width);
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(shot.save(QString::fromStdString(std::string(kept) + "/hours-" +
                                                         nameOf(GetParam()) + "-" + screen +
                                                         ".png")));
        }
    }
    std::optional<Element> find(const std::string& name) {
        window->screenshot();  // lays the rows out as they are drawn
        gui::AccessibleScreen& accessible = window->accessibleScreen();
        accessible.refresh();
        for (const auto& element : accessible.elements())
            if (element.name == name) return element;
        return std::nullopt;
    }
    // The control or row named `name`, whole in the window: the list is
    // scrolled up with a finger until it is.
    std::optional<Element> shown(const std::string& name) {
        for (int i = 0; i < 12; ++i) {
            const auto element = find(name);
            // Whole in the window, and clear of a navigation bar over the list.
            const float top =
                window->renderer().navigation() ? gui::ScreenRenderer::kNavigationBarHeight : 0;
            if (element && windowRect().contains(element->rect) && element->rect.top() >= top)
                return element;
            const float x = static_cast<float>(GetParam().width) / 2;
            const float h = static_cast<float>(GetParam().height);
            window->drag(Point{x, h * 0.8f}, Point{x, h * 0.45f});
            loop.advance(0.2);
        }
        ADD_FAILURE() << "\"" << name << "\" is not on the screen";
        return std::nullopt;
    }
    // Taps the centre of what is named `name`, as a finger would.
    void tap(const std::string& name) {
        const auto element = shown(name);
        if (!element) return;
        const QPointF at = element->rect.center();
        window->tap(Point{static_cast<float>(at.x()), static_cast<float>(at.y())});
        loop.advance(0.5);
    }
    void back() {
        window->tap(Point{20, 22});
        loop.advance(0.5);
    }

    test::TempDir dir;
    FixedSystemInfo info;
    SystemUtils system;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer =
        std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_P(ActiveHoursWindowTest, TheRowItsChooserAndTheCamerasWordOnTheWait) {
    tap("Settings");
    loop.advance(0.5);
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    SettingsController& settings = app->settingsScreen();

    // The timer's rows end with the active hours, whole in the window.
    const auto row = shown("Active Hours: Always");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->kind, Element::Kind::kRow);
    EXPECT_TRUE(find("Photos at any time of day"));
    screenshot("settings");
    tap("Active Hours: Always");
    ActiveHoursController* chooser = settings.activeHoursController();
    ASSERT_NE(chooser, nullptr);
    ASSERT_EQ(&app->settingsNavigation().topViewController(), chooser);
    EXPECT_EQ(chooser->view().frame(), app->screenLayout().readingColumn());
    ASSERT_TRUE(find("Always"));
    EXPECT_TRUE(find("Always")->rect.intersects(windowRect()));
    EXPECT_FALSE(find("From: 07:00"));  // no ends while always
    screenshot("chooser");

    tap("Between Set Hours");
    EXPECT_TRUE(record().timer().activeHours());
    tap("From: 07:00");
    ASSERT_EQ(&app->settingsNavigation().topViewController(), chooser->fromController());
    screenshot("from");
    tap("30");  // the minutes first: the rows then read as what a tap stores
    EXPECT_EQ(record().timer().activeFrom(), 7 * 60 + 30);
    tap("22:30");
    EXPECT_EQ(record().timer().activeFrom(), 22 * 60 + 30);
    screenshot("from-chosen");
    back();
    tap("To: 19:00");
    ASSERT_EQ(&app->settingsNavigation().topViewController(), chooser->toController());
    tap("02:00");
    EXPECT_EQ(record().timer().activeTo(), 2 * 60);
    back();
    ASSERT_TRUE(shown("From: 22:30"));
    ASSERT_TRUE(shown("To: 02:00"));
    screenshot("chooser-chosen");
    back();
    ASSERT_EQ(&app->settingsNavigation().topViewController(), &settings);
    const auto chosen = shown("Active Hours: 22:30\u201302:00");
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(find("No photos outside these hours"));
    screenshot("settings-chosen");
    window->tap(Point{static_cast<float>(GetParam().width) - 20, 22});  // Done
    loop.advance(1.0);
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());

    // A press at noon: the count-down runs, the picture is skipped, and the
    // screen says why nothing is taken until 22:30.
    ASSERT_TRUE(shown("Take Picture"));
    tap("Take Picture");
    loop.advance(5.5);
    auto* timer = dynamic_cast<CameraTimerHandler*>(app->camera().handler());
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->waitingForActiveHours());
    EXPECT_EQ(camera.picturesTaken(), 0);
    const auto word = find("Active hours: next photo 22:30");
    ASSERT_TRUE(word);
    EXPECT_TRUE(windowRect().contains(word->rect)) << word->rect.x() << "," << word->rect.y()
                                                   << " " << word->rect.width();
    // Read whole: the text fits the label on one line, in its font.
    const Label& label = *app->cameraViews().saveLabel;
    EXPECT_LE(QFontMetricsF(gui::ScreenRenderer::qtFont(label.font()))
                  .horizontalAdvance(QString::fromStdString(label.text())),
              label.frame().width)
        << label.text();
    EXPECT_TRUE(find("Stop"));  // the shutter ends the wait
    screenshot("waiting");
    tap("Stop");
    EXPECT_FALSE(timer->waitingForNext());
    EXPECT_FALSE(find("Active hours: next photo 22:30"));
}

INSTANTIATE_TEST_SUITE_P(Windows, ActiveHoursWindowTest,
                         ::testing::Values(Window{320, 480, "4.2"}, Window{1280, 720, "4.2"},
                                           Window{360, 720, "4.2"}, Window{320, 480, "3.1.3"},
                                           Window{1280, 720, "3.1.3"}, Window{360, 720, "3.1.3"}),
                         [](const auto& test) { return nameOf(test.param); });

}  // namespace
}  // namespace kestrel
