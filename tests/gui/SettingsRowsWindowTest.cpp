#include "core/app/KestrelApp.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/AlertView.h"
#include "gui/KestrelWindow.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/FakeFaceFinder.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFontMetricsF>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace kestrel {
namespace {

// The timer's series rows, the stabilizer's wait and the motion's light
// switch, chosen in the window as a user (or a screen reader) chooses them.
class SettingsRowsWindowTest : public ::testing::Test {
protected:
    SettingsRowsWindowTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt), nullptr,
                              nullptr},
            test::appOptions(dir.path()));
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(320, 480);
    }
    ~SettingsRowsWindowTest() override { AlertView::clearPending(); }

    Camera1Data& record() { return app->settings().record(); }
    // The settings screen for `mode`, drawn.
    void openSettings(int mode) {
        record().setMode(mode);
        if (!started) app->start();
        started = true;
        loop.advance(0.5);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &press);
        loop.advance(1.0);
        window->screenshot();  // the table lays its rows out as it is drawn
    }
    void closeSettings() {
        press("Done");
        loop.advance(1.0);
    }
    // Whether a screen reader finds a control named `name` on the screen.
    bool shown(const std::string& name) {
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        for (int i = 0; root && i < root->childCount(); ++i)
            if (QAccessibleInterface* child = root->child(i);
                child && child->text(QAccessible::Name).toStdString() == name)
                return true;
        return false;
    }
    // Scrolls the screen down as a finger does until `name` shows.
    void scrollTo(const std::string& name) {
        const float x = static_cast<float>(window->width()) / 2;
        const auto height = static_cast<float>(window->height());
        for (int i = 0; i < 8 && !shown(name); ++i) {
            window->drag(Point{x, height * 0.8f}, Point{x, height * 0.4f});
            loop.advance(1.0);
            window->screenshot();  // laid out as drawn
        }
    }
    // Presses (or toggles) the control a screen reader finds under `name`
    // (a switch is named by its row: `role` tells them apart). The press is
    // a tap at the control's centre, as a finger's.
    void press(const std::string& name, QAccessible::Role role = QAccessible::NoRole) {
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(root, nullptr);
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* child = root->child(i);
            if (!child || child->text(QAccessible::Name).toStdString() != name) continue;
            if (role != QAccessible::NoRole && child->role() != role) continue;
            ASSERT_NE(child->actionInterface(), nullptr) << name;
            const QStringList actions = child->actionInterface()->actionNames();
            ASSERT_FALSE(actions.isEmpty()) << name;
            for (const QString& action : {QAccessibleActionInterface::pressAction(),
                                          QAccessibleActionInterface::toggleAction()})
                if (actions.contains(action)) {
                    child->actionInterface()->doAction(action);
                    return;
                }
            ADD_FAILURE() << name << " offers neither press nor toggle: "
                          << actions.join(", ").toStdString();
            return;
        }
        FAIL() << "no control named " << name << " on the screen";
    }

    // Each shown label inside `view` holds its text, as the renderer draws it.
    static void expectTextsWhole(const View& view) {
        for (const auto& child : view.subviews()) {
            if (child->hidden()) continue;
            expectTextsWhole(*child);
            const auto* label = dynamic_cast<const Label*>(child.get());
            if (!label || label->text().empty()) continue;
            const QFontMetricsF metrics(gui::ScreenRenderer::qtFont(label->font()));
            const QString text = QString::fromStdString(label->text());
            const Rect& box = label->frame();
            if (box.height < 2 * metrics.lineSpacing()) {
                EXPECT_LE(metrics.horizontalAdvance(text), box.width)
                    << "\"" << label->text() << "\" does not fit on its line";
            } else {
                EXPECT_LE(metrics.boundingRect(QRectF(0, 0, box.width, 10000), Qt::TextWordWrap, text)
                              .height(),
                          box.height)
                    << "\"" << label->text() << "\" does not fit in its lines";
            }
        }
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    SimulatedAccelerometer accelerometer = std::move(*SimulatedAccelerometer::named(loop, "steady"));
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
    bool started = false;
};

TEST_F(SettingsRowsWindowTest, TheNewRowsWriteTheRecordFromTheWindow) {
    openSettings(Camera1Data::kTimer);
    press("15m");
    EXPECT_EQ(record().timer().interval(), 900);
    press("100");
    EXPECT_EQ(record().timer().count(), 100);
    closeSettings();

    openSettings(Camera1Data::kStabilizing);
    press("30s");
    EXPECT_EQ(record().stablizer().maxWait(), 30);
    closeSettings();

    openSettings(Camera1Data::kMotion);
    press("Ignore Light Changes", QAccessible::CheckBox);
    EXPECT_TRUE(record().motion().ignoreLight());
    closeSettings();
}

// Which frame a mode's still is, in windows of the three shapes.
TEST_F(SettingsRowsWindowTest, TheStillChoiceRowsAreOfferedWhereTheyApplyAndWriteTheRecord) {
    for (const auto& [width, height] : {std::pair{320, 480}, {1280, 720}, {360, 720}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        window->resize(width, height);
        openSettings(Camera1Data::kSound);
        const bool caught = record().stillChoice().catchTheMoment(Camera1Data::kSound);
        scrollTo("Pick the Sharpest");  // the last rows
        press("Catch the Moment", QAccessible::CheckBox);
        EXPECT_NE(record().stillChoice().catchTheMoment(Camera1Data::kSound), caught);
        press("Pick the Sharpest", QAccessible::CheckBox);
        EXPECT_TRUE(record().stillChoice().pickTheSharpest(Camera1Data::kSound));
        press("Pick the Sharpest", QAccessible::CheckBox);
        EXPECT_FALSE(record().stillChoice().pickTheSharpest(Camera1Data::kSound));
        // Kept to look at where $KESTREL_SCREENSHOTS names a folder.
        if (const char* folder = std::getenv("KESTREL_SCREENSHOTS"); folder && *folder)
            window->screenshot().save(QString::fromStdString(
                std::string(folder) + "/still-choice-" + std::to_string(width) + "x" +
                std::to_string(height) + ".png"));
        closeSettings();
    }
    // The sound mode's own default until the user changes it; other modes
    // keep theirs.
    EXPECT_TRUE(record().stillChoice().catchTheMoment(Camera1Data::kMotion));
    EXPECT_FALSE(record().stillChoice().catchTheMoment(Camera1Data::kTimer));
}

// The Faces mode's rows, in windows of the three shapes: its button where a
// face finder is, the triggers, the faces to wait for, the sensitivity, its
// delay and repeat.
TEST_F(SettingsRowsWindowTest, TheFacesRowsWriteTheRecordFromTheWindow) {
    ModeOffer::setFaceFinder(std::make_shared<test::FakeFaceFinder>());
    for (const auto& [width, height] : {std::pair{320, 480}, {1280, 720}, {360, 720}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        window->resize(width, height);
        openSettings(Camera1Data::kStandard);
        // Back at the top, where the screen was left scrolled down before.
        const float x = static_cast<float>(window->width()) / 2;
        for (int i = 0; i < 6 && !shown("Mode: Faces"); ++i) {
            window->drag(Point{x, static_cast<float>(height) * 0.3f},
                         Point{x, static_cast<float>(height) * 0.9f});
            loop.advance(1.0);
            window->screenshot();
        }
        press("Mode: Faces");
        loop.advance(0.5);
        window->screenshot();
        ASSERT_EQ(record().mode(), Camera1Data::kFaces);
        press("When They Look at the Camera", QAccessible::CheckBox);
        EXPECT_EQ(record().faces().trigger(), Camera1FacesData::kLook);
        press("When They Smile", QAccessible::CheckBox);
        EXPECT_EQ(record().faces().trigger(), Camera1FacesData::kSmile);
        press("All Found");
        EXPECT_EQ(record().faces().faces(), Camera1FacesData::kAllFound);
        press("2");
        EXPECT_EQ(record().faces().faces(), 2);
        scrollTo("Repeat");
        press("High");
        EXPECT_EQ(record().faces().sensitivity(), 3);
        press("Repeat", QAccessible::CheckBox);
        EXPECT_TRUE(record().faces().repeat());
        press("Repeat", QAccessible::CheckBox);
        EXPECT_FALSE(record().faces().repeat());
        press("0s");
        EXPECT_EQ(record().faces().timerDelay(), 0);
        press("10s");
        EXPECT_EQ(record().faces().timerDelay(), 10);
        closeSettings();
    }
    ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
}

// Every text of every mode's settings rows reads whole in windows of the
// three shapes: on one line where its label has room for one (the renderer
// ends a longer one in "…"), else wrapped within the label's height.
TEST_F(SettingsRowsWindowTest, EveryRowsTextReadsWholeInEveryModeAndShape) {
    ModeOffer::setFaceFinder(std::make_shared<test::FakeFaceFinder>());
    for (const auto& [width, height] : {std::pair{320, 480}, {1280, 720}, {360, 720}}) {
        window->resize(width, height);
        for (const auto& button : SettingsController::kModeButtons) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " mode " +
                         std::to_string(button.mode));
            openSettings(button.mode);
            TableView& table = app->settingsScreen().tableView();
            TableViewDataSource& rows = *table.dataSource();
            for (int section = 0; section < rows.numberOfSections(table); ++section)
                for (int row = 0; row < rows.numberOfRows(table, section); ++row) {
                    const auto cell = rows.cellForRow(table, IndexPath{section, row});
                    ASSERT_NE(cell, nullptr);
                    table.fitCell(*cell);
                    expectTextsWhole(*cell);
                }
            closeSettings();
        }
    }
    ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
}

}  // namespace
}  // namespace kestrel
