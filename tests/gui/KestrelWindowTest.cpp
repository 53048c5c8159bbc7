#include "core/app/KestrelApp.h"
#include "core/library/CameraRollViewer.h"
#include "core/modes/CameraTimerHandler.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/IconPainter.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/FakeFaceFinder.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <tuple>

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
        open(std::move(*SimulatedAccelerometer::named(loop, "steady")));
    }
    // The application and its window, held as the accelerometer says.
    void open(SimulatedAccelerometer held) {
        window.reset();
        app.reset();
        accelerometer.emplace(std::move(held));
        KestrelApp::Options options = test::appOptions(dir.path());
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
        loop.advance(0.5);  // the shutter lag
        ASSERT_TRUE(test::awaitProcessing(loop, app->camera()));
        ASSERT_TRUE(loop.waitForPosts(std::chrono::seconds(60)));  // the save, on its thread
        loop.runUntilIdle();
        loop.advance(1.5);  // the save animation, back to live view
    }
    // The screen is always drawn; it is written as PNG only where someone will
    // look at it ($KESTREL_SCREENSHOTS): encoding photos is slow under the sanitizers.
    void save(const std::string& name) {
        const QImage shot = window->screenshot();
        EXPECT_FALSE(shot.isNull());
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(shot.save(QString::fromStdString((screenshotFolder(dir) / name).string())));
        }
    }
    NavigationController& navigation() {
        return dynamic_cast<NavigationController&>(app->topController());
    }

    test::TempDir dir;
    ManualRunLoop loop;
    // It sees the scene as the device is held, as the programs' one does.
    SimulatedCamera camera{loop, [this] { return app ? app->devicePosition().orientation() : 1; },
                           640, 480};
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

// The mouse as Qt delivers it to the window (320 × 480, so points are pixels).
void mouse(QWidget& window, QEvent::Type type, Point at) {
    const QPointF p(at.x, at.y);
    QMouseEvent event(type, p, window.mapToGlobal(p), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}
void click(QWidget& window, Point at) {
    mouse(window, QEvent::MouseButtonPress, at);
    mouse(window, QEvent::MouseButtonRelease, at);
}
void doubleClick(QWidget& window, Point at) {
    click(window, at);
    mouse(window, QEvent::MouseButtonDblClick, at);
    mouse(window, QEvent::MouseButtonRelease, at);
}
void key(QWidget& window, int which) {
    QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
}

std::size_t photosIn(const std::filesystem::path& dcim) {
    std::size_t n = 0;
    if (!std::filesystem::exists(dcim)) return 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dcim))
        n += e.path().extension() == ".JPG" && e.path().parent_path().filename() != ".MISC";
    return n;
}

class WindowTrustTest : public KestrelWindowTest {
protected:
    CameraControllerHelper& controller() { return app->camera(); }
    Camera1Data& record() { return app->settings().record(); }
    void useMode(int mode) {
        record().setMode(mode);
        controller().reset();
    }
    // Saves under way finish, and the screen is live again.
    void settle() {
        loop.advance(0.5);
        test::awaitPhotos(loop, controller());
        while (loop.waitForPosts(std::chrono::milliseconds(500)))
            loop.runUntilIdle();
        loop.advance(1.5);
    }
    Point shutter() { return centerOnScreen(app->cameraViews().toolBar->shutterButton()); }
};

TEST_F(WindowTrustTest, ADoubleClickOnTheShutterTakesOnePhoto) {
    doubleClick(*window, shutter());
    settle();
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);
    // A double-click on the live view with the full-screen shutter: the first
    // click shoots, the second is a double tap (zoom back to 1×), not a second photo.
    record().setFullScreenShutter(true);
    doubleClick(*window, Point{160, 200});
    settle();
    EXPECT_EQ(camera.picturesTaken(), 2);
    EXPECT_EQ(photosIn(dir / "DCIM"), 2u);
}

TEST_F(WindowTrustTest, TapsGoThroughTheGhostAndTheCountDownDigits) {
    record().setFullScreenShutter(true);
    useMode(Camera1Data::kDoubleExposure);
    click(*window, Point{160, 200});  // the first exposure
    settle();
    ImageView& ghost = *app->cameraViews().saveImageView;
    ASSERT_FALSE(ghost.hidden());
    EXPECT_NEAR(ghost.alpha(), 0.33, 1e-6);
    save("double-exposure-ghost.png");
    click(*window, Point{160, 200});  // through the ghost: the second exposure
    settle();
    EXPECT_EQ(camera.picturesTaken(), 2);
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);  // one merged photo

    useMode(Camera1Data::kTimer);
    click(*window, shutter());
    loop.advance(2.0);
    Label& digits = *app->cameraViews().timerLabel;
    ASSERT_FALSE(digits.hidden());
    save("count-down.png");
    click(*window, centerOnScreen(digits));  // a tap on the digits stops the timer
    EXPECT_EQ(controller().handler()->state(), CameraHandler::kIdle);
    EXPECT_TRUE(digits.hidden());
    loop.advance(15.0);
    EXPECT_EQ(camera.picturesTaken(), 2);
}

TEST_F(WindowTrustTest, ReturnKeepsAReviewedPictureBackspaceRetakesMShowsTheMode) {
    record().setAutoSave(false);
    key(*window, Qt::Key_Space);
    loop.advance(0.5);
    ASSERT_TRUE(test::awaitProcessing(loop, controller()));
    ASSERT_TRUE(controller().image());
    key(*window, Qt::Key_Space);  // the shutter does nothing in review
    key(*window, Qt::Key_Return);
    settle();
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);
    EXPECT_FALSE(controller().image());

    key(*window, Qt::Key_Space);
    loop.advance(0.5);
    ASSERT_TRUE(test::awaitProcessing(loop, controller()));
    ASSERT_TRUE(controller().image());
    key(*window, Qt::Key_Backspace);
    settle();
    EXPECT_FALSE(controller().image());
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);
    EXPECT_EQ(camera.picturesTaken(), 2);

    key(*window, Qt::Key_M);  // the next mode, and its icon says which
    ImageView& icon = *app->cameraViews().modeImage;
    EXPECT_NE(record().mode(), Camera1Data::kStandard);
    EXPECT_FALSE(icon.imageName().empty());
    EXPECT_EQ(icon.alpha(), 1);
    save("next-mode.png");
    loop.advance(4.0);
    EXPECT_EQ(icon.alpha(), 0);
}

TEST_F(WindowTrustTest, SettingsOrAlbumMidCountDownOrReviewStrandNothing) {
    record().setAutoSave(false);
    for (int leave : {Qt::Key_S, Qt::Key_A}) {
        useMode(Camera1Data::kTimer);
        key(*window, Qt::Key_Space);
        loop.advance(1.0);
        ASSERT_EQ(controller().handler()->state(), CameraHandler::kDelay);
        key(*window, leave);
        loop.advance(20.0);  // longer than the count-down: nothing is taken behind the screen
        EXPECT_EQ(camera.picturesTaken(), 0);
        key(*window, Qt::Key_Space);  // the camera's keys do nothing off the camera
        window->tap(Point{300, 22});  // Done
        loop.advance(1.0);
        ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
        EXPECT_EQ(controller().handler()->state(), CameraHandler::kIdle);
        EXPECT_EQ(camera.picturesTaken(), 0);
    }

    // A reviewed picture survives the album and the settings, usable.
    useMode(Camera1Data::kStandard);
    key(*window, Qt::Key_Space);
    loop.advance(0.5);
    ASSERT_TRUE(test::awaitProcessing(loop, controller()));
    ASSERT_TRUE(controller().image());
    for (int leave : {Qt::Key_A, Qt::Key_S}) {
        key(*window, leave);
        loop.advance(0.5);
        window->tap(Point{300, 22});  // Done
        loop.advance(1.0);
        ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
        ASSERT_TRUE(controller().image());
        EXPECT_FALSE(app->cameraViews().saveImageView->hidden());
    }
    save("review-kept.png");
    click(*window, centerOnScreen(app->cameraViews().toolBar->useButton()));
    settle();
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);
}

TEST_F(WindowTrustTest, ReturnInADeleteConfirmationCancelsIt) {
    int chosen = -2;
    AlertView::show(
        std::make_shared<AlertView>(AlertView::Kind::kActionSheet, "Delete this photo?",
                                    "Photo 1 of 1 (IMG_0001.JPG) will be deleted. This cannot be undone.",
                                    "Cancel", "Delete Photo"),
        [&](int index) { chosen = index; });
    // Return, pressed on the dialog as soon as it is up.
    const auto shot = (screenshotFolder(dir) / "delete-confirmation.png").string();
    QTimer::singleShot(0, [shot] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->grab().save(QString::fromStdString(shot));
            key(*dialog, Qt::Key_Return);
        }
    });
    window->showAlerts();
    EXPECT_EQ(chosen, 1);  // Cancel (the destructive button is 0)
}

TEST_F(WindowTrustTest, KeysPressedMidTransitionDoNothingBehindTheScreen) {
    key(*window, Qt::Key_S);
    key(*window, Qt::Key_Space);  // while the settings slide in
    key(*window, Qt::Key_A);
    loop.advance(0.05);
    window->tap(Point{300, 22});  // Done: the camera comes back 0.1 s later
    key(*window, Qt::Key_Space);  // pressed before it is back
    key(*window, Qt::Key_S);
    loop.advance(1.0);
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
    EXPECT_FALSE(app->albumShown());
    EXPECT_EQ(camera.picturesTaken(), 0);
    key(*window, Qt::Key_Space);  // and on the camera the shutter works
    loop.advance(0.5);
    EXPECT_EQ(camera.picturesTaken(), 1);
}

// The colour of the screenshot at a point of the 320 × 480 screen.
QColor colourAt(const QImage& shot, float x, float y) {
    return shot.pixelColor(static_cast<int>(x * 2), static_cast<int>(y * 2));
}

TEST_F(WindowTrustTest, LandscapeShowsTheReviewAndCountersUprightForTheHolder) {
    // Held on its left side (3) the holder's top is the screen's right edge; on its right side
    // (4), the left edge. The scene is sky over green hills.
    for (const auto& [motion, orientation, top, bottom] :
         {std::tuple{"-1,0,0", 3, 300.0f, 20.0f}, std::tuple{"1,0,0", 4, 20.0f, 300.0f}}) {
        const auto trace = dir / "held.csv";
        std::ofstream(trace) << "0," << motion << "\n";
        open(std::move(*SimulatedAccelerometer::fromTrace(loop, trace)));
        record().setAutoSave(false);
        loop.advance(1.0);
        ASSERT_EQ(app->devicePosition().orientation(), orientation);
        key(*window, Qt::Key_Space);
        loop.advance(0.5);
        ASSERT_TRUE(test::awaitProcessing(loop, controller()));
        ASSERT_TRUE(controller().image());
        const QImage shot = window->screenshot();
        const std::string name = orientation == 3 ? "left" : "right";
        save("review-landscape-" + name + ".png");
        const QColor sky = colourAt(shot, top, 213);
        const QColor hills = colourAt(shot, bottom, 213);
        EXPECT_GT(sky.blue(), sky.green() + 20) << name;
        EXPECT_GT(hills.green(), hills.blue() + 20) << name;
        key(*window, Qt::Key_Backspace);
        settle();

        // The rapid-fire counter and a sensing panel, for the eye. The series
        // is left when the mode changes; its frame on the way lands first.
        useMode(Camera1Data::kRapidFire);
        key(*window, Qt::Key_Space);
        loop.advance(1.0);
        save("rapid-counter-landscape-" + name + ".png");
        useMode(Camera1Data::kSound);  // no microphone here: it listens, and never fires
        EXPECT_TRUE(app->cameraViews().saveLabel->hidden()) << name;  // no "3 of 16" left over
        loop.advance(0.5);
        ASSERT_TRUE(test::awaitProcessing(loop, controller()));  // the series' last frame
        EXPECT_FALSE(controller().image()) << name;
        key(*window, Qt::Key_Space);
        loop.advance(0.3);
        EXPECT_EQ(controller().handler()->state(), CameraHandler::kSensing) << name;
        save("sensing-landscape-" + name + ".png");
        key(*window, Qt::Key_Space);
    }
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

TEST_F(WindowTrustTest, VolumeAndCameraKeysPressTheShutterAndF1ListsTheKeys) {
    for (int which : {Qt::Key_VolumeUp, Qt::Key_VolumeDown, Qt::Key_Camera}) {
        key(*window, which);
        settle();
    }
    EXPECT_EQ(camera.picturesTaken(), 3);
    EXPECT_EQ(photosIn(dir / "DCIM"), 3u);

    key(*window, Qt::Key_F1);
    ASSERT_TRUE(window->keyListShown());
    save("key-list.png");
    click(*window, shutter());  // a tap on the list closes it and takes nothing
    EXPECT_FALSE(window->keyListShown());
    settle();
    EXPECT_EQ(camera.picturesTaken(), 3);
    key(*window, Qt::Key_Question);
    EXPECT_TRUE(window->keyListShown());
    key(*window, Qt::Key_Escape);  // closes the list, and only the list
    EXPECT_FALSE(window->keyListShown());
    EXPECT_EQ(&app->topController(), &app->root().cameraScreen());
}

// The window's children as a screen reader lists them: role and name.
std::vector<std::pair<QAccessible::Role, std::string>> accessibleChildren(QWidget& window) {
    std::vector<std::pair<QAccessible::Role, std::string>> out;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    if (!root) return out;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i))
            out.emplace_back(child->role(), child->text(QAccessible::Name).toStdString());
    return out;
}

QAccessibleInterface* accessibleNamed(QWidget& window, const std::string& name) {
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; root && i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i);
            child && child->text(QAccessible::Name).toStdString() == name)
            return child;
    return nullptr;
}

bool has(const std::vector<std::pair<QAccessible::Role, std::string>>& children, QAccessible::Role role,
         const std::string& name) {
    return std::find(children.begin(), children.end(), std::pair{role, name}) != children.end();
}

TEST_F(WindowTrustTest, ScreenReadersSeeNamedControlsAndPressTheShutterAsATap) {
    const auto cameraScreen = accessibleChildren(*window);
    for (const char* name : {"Take Picture", "Album", "Settings", "Flash: Off", "Switch Camera: Back"})
        EXPECT_TRUE(has(cameraScreen, QAccessible::Button, name)) << name;
    EXPECT_FALSE(has(cameraScreen, QAccessible::Button, "Use"));  // on the page out of sight

    // The shutter's press action is a tap: one photo.
    QAccessibleInterface* shutterButton = accessibleNamed(*window, "Take Picture");
    ASSERT_TRUE(shutterButton && shutterButton->actionInterface());
    EXPECT_EQ(shutterButton->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
    shutterButton->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    settle();
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_EQ(photosIn(dir / "DCIM"), 1u);

    // The settings: switches named by their rows, the rows, the mode segments, Done.
    key(*window, Qt::Key_S);
    loop.advance(1.0);
    window->screenshot();  // the table lays its rows out as it is drawn
    const auto settingsScreen = accessibleChildren(*window);
    EXPECT_TRUE(has(settingsScreen, QAccessible::Button, "Done"));
    EXPECT_TRUE(has(settingsScreen, QAccessible::CheckBox, "Full-Screen Shutter"));
    EXPECT_TRUE(has(settingsScreen, QAccessible::Button, "Mode: Timer"));
    EXPECT_TRUE(has(settingsScreen, QAccessible::RadioButton, "Sepia"));
    EXPECT_TRUE(has(settingsScreen, QAccessible::ListItem, "Photo Size"));
    EXPECT_TRUE(std::any_of(settingsScreen.begin(), settingsScreen.end(), [](const auto& c) {
        return c.first == QAccessible::ListItem && !c.second.empty();
    }));
    QAccessibleInterface* fullScreen = accessibleNamed(*window, "Full-Screen Shutter");
    ASSERT_TRUE(fullScreen);
    EXPECT_FALSE(fullScreen->state().checked);
    fullScreen->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(record().fullScreenShutter());
    accessibleNamed(*window, "Done")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    loop.advance(1.0);
    ASSERT_EQ(&app->topController(), &app->root().cameraScreen());

    // Tab moves the focus round the controls; Space presses the focused one.
    std::string focused;
    for (int i = 0; i < 12 && focused != "Album"; ++i) {
        key(*window, Qt::Key_Tab);
        const auto* element = window->accessibleScreen().focused();
        ASSERT_TRUE(element);
        focused = element->name;
    }
    ASSERT_EQ(focused, "Album");
    key(*window, Qt::Key_Space);
    loop.advance(1.0);
    EXPECT_TRUE(app->albumShown());
    EXPECT_EQ(camera.picturesTaken(), 1);  // Space pressed the album, not the shutter
    window->screenshot();
    EXPECT_TRUE(has(accessibleChildren(*window), QAccessible::Button, "Done"));
}

// The tenth mode button, Faces, is read out by its name where a face finder
// is set up, and a screen reader finds no such button where none is.
TEST_F(WindowTrustTest, ScreenReadersHearTheFacesModeButtonOnlyWhereItIsOffered) {
    for (const bool offered : {true, false}) {
        SCOPED_TRACE(offered ? "offered" : "not offered");
        if (offered)
            ModeOffer::setFaceFinder(std::make_shared<test::FakeFaceFinder>());
        else
            ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
        key(*window, Qt::Key_S);
        loop.advance(1.0);
        window->screenshot();  // the table lays its rows out as it is drawn
        const auto settingsScreen = accessibleChildren(*window);
        EXPECT_TRUE(has(settingsScreen, QAccessible::Button, "Mode: Sound"));  // the ninth
        EXPECT_EQ(has(settingsScreen, QAccessible::Button, "Mode: Faces"), offered);
        QAccessibleInterface* done = accessibleNamed(*window, "Done");
        ASSERT_TRUE(done && done->actionInterface());
        done->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        loop.advance(1.0);
        ASSERT_EQ(&app->topController(), &app->root().cameraScreen());
    }
}

}  // namespace
}  // namespace kestrel
