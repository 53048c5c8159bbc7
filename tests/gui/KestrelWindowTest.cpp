#include "core/app/KestrelApp.h"
#include "core/library/CameraRollViewer.h"
#include "core/modes/CameraTimerHandler.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/IconPainter.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

QApplication& application() { return test::qtApplication(); }

// Where screenshots go: $KESTREL_SCREENSHOTS when set (CI keeps them), else the test's own folder.
std::filesystem::path screenshotFolder(const test::TempDir& dir) {
    const char* kept = std::getenv("KESTREL_SCREENSHOTS");
    std::filesystem::path folder = kept && *kept ? std::filesystem::path(kept) : dir.path();
    std::filesystem::create_directories(folder);
    return folder;
}

Point centerOnScreen(const View& view, float top = 0) {
    float x = view.frame().x + view.frame().width / 2;
    float y = view.frame().y + view.frame().height / 2;
    for (const View* v = view.superview(); v; v = v->superview()) {
        x += v->frame().x;
        y += v->frame().y;
    }
    return Point{x, y + top};
}

// Whether the screen is being kept on.
class RecordingIdleTimer final : public IdleTimer {
public:
    void setIdleTimerDisabled(bool disabled) override { screenKeptOn = disabled; }
    bool screenKeptOn = false;
};

class KestrelWindowTest : public ::testing::Test {
protected:
    KestrelWindowTest() {
        application();
        accelerometer.emplace(std::move(*SimulatedAccelerometer::named(loop, "steady")));
        KestrelApp::Options options;
        options.configDir = dir / "config";
        options.dcim = (dir / "DCIM").string();
        options.resources = KESTREL_RESOURCES_DIR;
        options.identity.version = "test";
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt), nullptr,
                              &idle},
            options);
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(true);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(320, 480);
        app->start();
        loop.advance(0.5);
    }
    ~KestrelWindowTest() override { AlertView::clearPending(); }

    void shoot() {
        window->tap(centerOnScreen(app->cameraViews().toolBar->shutterButton()));
        loop.advance(0.5);                                         // the shutter lag
        ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));  // the save, on its thread
        loop.runUntilIdle();
        loop.advance(1.5);  // the save animation, back to live view
    }
    void save(const std::string& name) {
        EXPECT_TRUE(window->screenshot().save(
            QString::fromStdString((screenshotFolder(dir) / name).string())));
    }
    NavigationController& navigation() {
        return dynamic_cast<NavigationController&>(app->topController());
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    std::optional<SimulatedAccelerometer> accelerometer;
    test::RecordingSounds sounds;
    RecordingIdleTimer idle;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_F(KestrelWindowTest, ShootSeeInTheAlbumViewDeleteAndChangeTheMode) {
    EXPECT_EQ(&app->topController(), &app->root().cameraScreen());
    save("camera.png");
    shoot();
    EXPECT_EQ(camera.picturesTaken(), 1);

    // The album: one photo and the count.
    window->tap(centerOnScreen(app->cameraViews().toolBar->albumButton()));
    ASSERT_TRUE(app->albumShown());
    EXPECT_FALSE(idle.screenKeptOn);  // only the camera keeps the screen on
    EXPECT_EQ(navigation().topViewController().title(), "Camera Roll");
    window->screenshot();  // lays the rows out and asks for their thumbnails
    while (loop.waitForPosts(std::chrono::milliseconds(300)))
        loop.runUntilIdle();
    save("album.png");
    EXPECT_EQ(app->album().footerCell().label()->text(), "1 Photo");

    // The viewer, from the first tile.
    window->tap(Point{40, 44 + 40});
    loop.advance(0.3);
    ASSERT_EQ(navigation().depth(), 2u);
    EXPECT_EQ(navigation().topViewController().title(), "1 of 1");
    save("viewer.png");

    // Delete it: the confirmation, then the viewer leaves and the album is empty.
    auto& viewer = dynamic_cast<CameraRollViewer&>(navigation().topViewController());
    window->tap(centerOnScreen(viewer.trashButton(), 44));
    ASSERT_NE(AlertView::pending(), nullptr);
    window->showAlerts(0);
    loop.advance(1.0);
    EXPECT_EQ(navigation().depth(), 1u);
    window->screenshot();
    EXPECT_EQ(app->album().footerCell().label()->text(), "0 Photo");

    // Done: back to the camera.
    window->tap(Point{300, 22});
    loop.advance(0.5);
    EXPECT_FALSE(app->albumShown());
    EXPECT_EQ(&app->topController(), &app->root().cameraScreen());
    EXPECT_TRUE(idle.screenKeptOn);

    // The settings: choose the timer mode, and the camera follows.
    window->tap(centerOnScreen(app->cameraViews().toolBar->settingsButton()));
    loop.advance(0.5);
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    save("settings.png");
    SettingsController& settings = app->settingsScreen();
    window->screenshot();
    // The mode cell is the first row of the grouped table: 10 points down, 10 in.
    window->tap(Point{10 + centerOnScreen(*settings.modeButton(Camera1Data::kTimer)).x,
                      44 + 10 + centerOnScreen(*settings.modeButton(Camera1Data::kTimer)).y});
    EXPECT_EQ(app->settings().record().mode(), Camera1Data::kTimer);
    window->screenshot();
    save("settings-timer.png");
    window->tap(Point{300, 22});  // Done
    loop.advance(1.0);
    EXPECT_EQ(&app->topController(), &app->root().cameraScreen());
    EXPECT_NE(dynamic_cast<CameraTimerHandler*>(app->camera().handler()), nullptr);
    EXPECT_EQ(app->cameraViews().modeImage->imageName(), "Mode_Timer_on.png");
    save("camera-timer.png");
}

TEST(IconPainterTest, EveryImageNameHasAnIcon) {
    application();
    QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
    for (const QString& name : gui::IconPainter::names()) {
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        EXPECT_TRUE(gui::IconPainter::paint(p, name, QRectF(0, 0, 64, 64))) << name.toStdString();
        p.end();
        bool drawn = false;
        for (int y = 0; y < 64 && !drawn; ++y)
            for (int x = 0; x < 64 && !drawn; ++x)
                drawn = qAlpha(canvas.pixel(x, y)) != 0;
        EXPECT_EQ(drawn, name != "select_none.png") << name.toStdString();
    }
    QImage canvas2(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas2);
    EXPECT_FALSE(gui::IconPainter::paint(p, "no_such_icon.png", QRectF(0, 0, 8, 8)));
}

}  // namespace
}  // namespace kestrel
