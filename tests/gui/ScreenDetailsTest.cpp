#include "core/app/KestrelApp.h"
#include "core/library/CameraRollViewer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/settingsui/RatioController.h"
#include "core/ui/AlertView.h"
#include "core/ui/SegmentedControl.h"
#include "core/ui/Switch.h"
#include "gui/KestrelWindow.h"
#include "gui/ScreenRenderer.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// Where screenshots go: $KESTREL_SCREENSHOTS when set, else the test's own folder.
std::filesystem::path screenshotFolder(const test::TempDir& dir) {
    const char* kept = std::getenv("KESTREL_SCREENSHOTS");
    std::filesystem::path folder = kept && *kept ? std::filesystem::path(kept) : dir.path();
    std::filesystem::create_directories(folder);
    return folder;
}

// A view's frame in the coordinates of `top` (one of its superviews).
QRectF frameIn(const View& view, const View* top) {
    QRectF r(view.frame().x, view.frame().y, view.frame().width, view.frame().height);
    for (const View* v = view.superview(); v && v != top; v = v->superview())
        r.translate(v->frame().x, v->frame().y);
    return r;
}

void collect(const View& view, std::vector<const View*>& into) {
    for (const auto& child : view.subviews()) {
        if (child->hidden()) continue;
        into.push_back(child.get());
        collect(*child, into);
    }
}

// Everything a settings row shows can be read where the renderer draws it:
// each label's text fits its frame in its font (on one line, or wrapped
// where the frame holds several lines), labels keep clear of the controls,
// segment titles fit their segments, nothing reaches under the accessory
// mark or out of the row.
void expectReadable(const TableViewCell& cell, float rowHeight, const std::string& where) {
    std::vector<const View*> views;
    collect(cell, views);
    std::vector<QRectF> controls;
    for (const View* v : views)
        if (dynamic_cast<const Switch*>(v) || dynamic_cast<const SegmentedControl*>(v))
            controls.push_back(frameIn(*v, &cell));
    const float right = cell.accessory() == TableViewCell::Accessory::kNone
                            ? cell.frame().width
                            : cell.frame().width - gui::ScreenRenderer::kAccessoryWidth;
    for (const View* v : views) {
        const QRectF box = frameIn(*v, &cell);
        if (auto* label = dynamic_cast<const Label*>(v)) {
            if (label->text().empty()) continue;
            const QString text = QString::fromStdString(label->text());
            const QFontMetricsF metrics(gui::ScreenRenderer::qtFont(label->font()));
            const bool oneLine = box.height() < 2 * metrics.lineSpacing();
            const double needed = oneLine
                                      ? metrics.horizontalAdvance(text)
                                      : metrics
                                            .boundingRect(QRectF(0, 0, box.width(), 1000),
                                                          Qt::TextWordWrap | Qt::AlignLeft, text)
                                            .height();
            EXPECT_LE(needed, oneLine ? box.width() : box.height())
                << where << ": \"" << label->text() << "\" is cut";
            EXPECT_GE(box.height(), metrics.height() - 1)
                << where << ": \"" << label->text() << "\" is cut at the top or bottom";
            EXPECT_LE(box.right(), right + 0.01) << where << ": \"" << label->text() << "\"";
            for (const QRectF& control : controls)
                EXPECT_FALSE(box.intersects(control))
                    << where << ": \"" << label->text() << "\" lies under a control";
        } else if (auto* segments = dynamic_cast<const SegmentedControl*>(v)) {
            EXPECT_LE(box.right(), right + 0.01) << where << ": the segments reach the accessory";
            const QFont font = gui::ScreenRenderer::segmentTitleFont(*segments);
            EXPECT_GE(font.pixelSize(), 10) << where;
            const QFontMetricsF metrics(font);
            const double each = box.width() / std::max(1, segments->numberOfSegments());
            for (int i = 0; i < segments->numberOfSegments(); ++i) {
                const QString title = QString::fromStdString(segments->titleForSegment(i));
                EXPECT_LE(metrics.horizontalAdvance(title), each - 4)
                    << where << ": segment \"" << title.toStdString() << "\"";
            }
        } else if (dynamic_cast<const Switch*>(v)) {
            EXPECT_LE(box.right(), right + 0.01) << where << ": the switch reaches the accessory";
        }
        if (dynamic_cast<const Label*>(v) || dynamic_cast<const Switch*>(v) ||
            dynamic_cast<const SegmentedControl*>(v)) {
            EXPECT_LE(box.bottom(), rowHeight + 0.01) << where << ": below the row";
        }
    }
}

class ScreenDetailsTest : public ::testing::Test {
protected:
    ScreenDetailsTest() {
        test::qtApplication();
        accelerometer.emplace(std::move(*SimulatedAccelerometer::named(loop, "steady")));
    }
    ~ScreenDetailsTest() override { AlertView::clearPending(); }

    void startApp() {
        KestrelApp::Options options = test::appOptions(dir.path());
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt), nullptr,
                              nullptr},
            options);
        app->settings().record().setMode(Camera1Data::kStandard);
        window = std::make_unique<gui::KestrelWindow>(*app, &camera);
        window->resize(320, 480);
        app->start();
        loop.advance(0.5);
    }
    // Saves a screenshot to look at where someone will ($KESTREL_SCREENSHOTS:
    // encoding photos as PNG is slow under the sanitizers); answers the screen
    // one pixel a point.
    QImage save(const std::string& name) {
        const char* kept = std::getenv("KESTREL_SCREENSHOTS");
        if (kept && *kept) {
            EXPECT_TRUE(window->screenshot().save(
                QString::fromStdString((screenshotFolder(dir) / name).string())));
        }
        return window->screenshot(1.0);
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    std::optional<SimulatedAccelerometer> accelerometer;
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::unique_ptr<gui::KestrelWindow> window;
};

TEST_F(ScreenDetailsTest, EverySettingsRowOfEveryModeIsReadable) {
    startApp();
    app->cameraViews().toolBar->settingsButton().press();
    loop.advance(0.5);
    ASSERT_EQ(&app->topController(), &app->settingsNavigation());
    SettingsController& settings = app->settingsScreen();
    Camera1Data& record = app->settings().record();
    TableView& table = settings.tableView();
    for (int mode = Camera1Data::kStabilizing; mode <= Camera1Data::kPrint; ++mode) {
        record.setMode(mode);
        settings.viewWillAppear(false);
        for (int section = 0; section < settings.numberOfSections(table); ++section)
            for (int row = 0; row < settings.numberOfRows(table, section); ++row) {
                const IndexPath path{section, row};
                const auto cell = settings.cellForRow(table, path);
                ASSERT_NE(cell, nullptr);
                expectReadable(*cell, settings.heightForRow(table, path),
                               "mode " + std::to_string(mode) + " row " + std::to_string(section) +
                                   "." + std::to_string(row));
            }
        // The whole table, page by page, to look at.
        for (int page = 0; page < 3; ++page) {
            save("settings-mode" + std::to_string(mode) + "-" + std::to_string(page) + ".png");
            window->drag(Point{150, 420}, Point{150, 100});
        }
        window->drag(Point{150, 60}, Point{150, 470});
        window->drag(Point{150, 60}, Point{150, 470});
        window->drag(Point{150, 60}, Point{150, 470});
    }
    // The ratio row with every ratio's texts, and the choosers' rows.
    record.setMode(Camera1Data::kStandard);
    settings.viewWillAppear(false);
    for (int ratio = 0; ratio < RatioController::kRows; ++ratio) {
        record.setRatio(ratio);
        settings.updateGeneralData();
        expectReadable(settings.ratioCell(), settings.getCellHeight(settings.ratioCell()),
                       "ratio " + std::to_string(ratio));
    }
    RatioController ratios;
    EffectController effects;
    for (int row = 0; row < RatioController::kRows; ++row)
        expectReadable(*ratios.cellForRow(ratios.tableView(), IndexPath{0, row}), 44,
                       "ratio chooser row " + std::to_string(row));
    for (int row = 0; row < EffectController::kRows; ++row)
        expectReadable(*effects.cellForRow(effects.tableView(), IndexPath{0, row}), 44,
                       "effect chooser row " + std::to_string(row));
    // The timer's active hours row with a span, and its choosers' rows.
    record.setMode(Camera1Data::kTimer);
    record.timer().setActiveHours(true);
    record.timer().setActiveFrom(23 * 60 + 45);
    record.timer().setActiveTo(23 * 60 + 59);
    settings.viewWillAppear(false);
    expectReadable(settings.activeHoursCell(), settings.getCellHeight(settings.activeHoursCell()),
                   "active hours row");
    ActiveHoursController hours;
    for (int section = 0; section < hours.numberOfSections(hours.tableView()); ++section)
        for (int row = 0; row < hours.numberOfRows(hours.tableView(), section); ++row)
            expectReadable(*hours.cellForRow(hours.tableView(), IndexPath{section, row}), 44,
                           "active hours chooser row " + std::to_string(row));
    TimeOfDayController ends(TimeOfDayController::End::kFrom);
    expectReadable(*ends.cellForRow(ends.tableView(), IndexPath{0, 0}),
                   ends.heightForRow(ends.tableView(), IndexPath{0, 0}), "minutes row");
    for (int row = 0; row < TimeOfDayController::kHours; ++row)
        expectReadable(*ends.cellForRow(ends.tableView(), IndexPath{1, row}), 44,
                       "hour row " + std::to_string(row));
}

// Two photos, red then blue; deleting the blue one (the newest) shows the
// red one and shrinks the blue one into the trash button over 0.75 s.
TEST_F(ScreenDetailsTest, TheDeletedPhotoShrinksIntoTheTrashOnScreen) {
    {
        CameraRoll roll((dir / "DCIM").string());
        roll.parse(true);
        for (const Rgb colour : {Rgb{220, 30, 30}, Rgb{30, 30, 220}})
            ASSERT_TRUE(roll.saveImage(TestImages::uniform(640, 480, colour),
                                       TestImages::uniform(75, 75, colour),
                                       TestImages::uniform(55, 55, colour)));
    }
    startApp();
    app->cameraViews().toolBar->albumButton().press();
    loop.advance(0.5);
    ASSERT_TRUE(app->albumShown());
    app->album().showImage(1);
    loop.advance(0.5);
    auto& navigation = app->albumNavigation();
    ASSERT_EQ(navigation.depth(), 2u);
    auto& viewer = dynamic_cast<CameraRollViewer&>(navigation.topViewController());
    save("viewer-before-delete.png");

    viewer.trashButton().press();
    const auto alert = AlertView::pending();
    ASSERT_NE(alert, nullptr);
    EXPECT_FALSE(alert->title().empty());
    EXPECT_FALSE(alert->message().empty());
    EXPECT_EQ(alert->defaultButtonIndex(), alert->cancelButtonIndex());
    window->showAlerts(alert->destructiveButtonIndex());
    EXPECT_EQ(viewer.title(), "1 of 1");

    // Pixels of the blue photo, fading over the red one or the black, in an area of the screen.
    auto blueIn = [](const QImage& shot, const QRect& area) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                n += c.blue() > c.red() + 20 && c.blue() > c.green() + 20;
            }
        return n;
    };
    const QRect screen(0, 44, 320, 436);  // under the navigation bar, the toolbar included
    const QImage start = save("viewer-delete-0.png");
    loop.advance(0.375);
    const QImage half = save("viewer-delete-1.png");
    loop.advance(0.3);
    const QImage late = save("viewer-delete-2.png");
    loop.advance(0.2);
    const QImage after = save("viewer-delete-3.png");
    const int whole = blueIn(start, screen);
    EXPECT_GT(whole, 320 * 200);  // the deleted photo still covers the picture
    EXPECT_GT(blueIn(half, screen), 0);
    EXPECT_LT(blueIn(half, screen), whole / 2);             // smaller, fading
    EXPECT_GT(blueIn(half, QRect(100, 200, 220, 236)), 0);  // on its way down to the right
    const QRect trash(260, 44 + 392, 60, 44);
    EXPECT_GT(blueIn(late, trash), 0);    // over the trash button, on top of the toolbar
    EXPECT_EQ(blueIn(after, screen), 0);  // gone
    EXPECT_EQ(viewer.deleteImageView().superview(), nullptr);
}

}  // namespace
}  // namespace kestrel
