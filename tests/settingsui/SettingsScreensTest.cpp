#include "core/platform/FixedSystemInfo.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/settingsui/ImageTableViewCell.h"
#include "core/settingsui/RatioController.h"
#include "core/settingsui/SettingsController.h"
#include "core/settingsui/SwitchTableViewCell.h"
#include "core/modes/ModeOffer.h"
#include "support/FakeFaceFinder.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class SettingsScreensTest : public ::testing::Test {
protected:
    SettingsScreensTest() : record(store) { ApplicationId::setId(ApplicationId::kThisBuild); }
    ~SettingsScreensTest() override { ApplicationId::setId(0); }

    // The settings screen in its navigation, loaded, for the stored mode.
    std::shared_ptr<SettingsController> open(int mode) {
        record.setMode(mode);
        auto screen = std::make_shared<SettingsController>(
            system, [] { return std::make_shared<ViewController>(); });
        navigation = std::make_shared<NavigationController>(screen);
        return screen;
    }
    std::vector<TableViewCell*> rows(SettingsController& screen, int section) {
        std::vector<TableViewCell*> cells;
        for (int r = 0; r < screen.numberOfRows(screen.tableView(), section); ++r)
            cells.push_back(screen.cellForRow(screen.tableView(), IndexPath{section, r}).get());
        return cells;
    }

    test::MemoryStore store;
    Camera1Data record;
    FixedSystemInfo info{"4.2", "x86_64"};
    SystemUtils system{info};
    std::shared_ptr<NavigationController> navigation;
};

// A face finder for the length of a test: the Faces mode is offered.
struct FacesOffered {
    FacesOffered() { ModeOffer::setFaceFinder(std::make_shared<test::FakeFaceFinder>()); }
    ~FacesOffered() { ModeOffer::setFaceFinder(nullptr, "no face finder in this test"); }
};

TEST_F(SettingsScreensTest, TheFacesRowsWriteTheirSettingsAndOneTriggerIsOn) {
    // Without a face finder the mode has no button and cannot be chosen.
    ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
    auto screen = open(Camera1Data::kStandard);
    screen->updateModeData();
    ASSERT_NE(screen->modeButton(Camera1Data::kFaces), nullptr);
    EXPECT_TRUE(screen->modeButton(Camera1Data::kFaces)->hidden());
    screen->chooseMode(Camera1Data::kFaces);
    EXPECT_EQ(record.mode(), Camera1Data::kStandard);
    const FacesOffered offered;
    screen->updateModeData();
    EXPECT_FALSE(screen->modeButton(Camera1Data::kFaces)->hidden());
    screen->modeButton(Camera1Data::kFaces)->press();
    ASSERT_EQ(record.mode(), Camera1Data::kFaces);
    EXPECT_EQ(screen->getModeCell()->label()->text(), "Mode: Faces");
    EXPECT_TRUE(screen->facesSmileCell().checkbox().isOn());
    EXPECT_FALSE(screen->facesLookCell().checkbox().isOn());
    // Turning one trigger on turns the other off; turning the smile off looks.
    screen->facesLookCell().checkbox().setOn(true);
    screen->facesLook();
    EXPECT_EQ(record.faces().trigger(), Camera1FacesData::kLook);
    EXPECT_FALSE(screen->facesSmileCell().checkbox().isOn());
    screen->facesLookCell().checkbox().setOn(false);
    screen->facesLook();
    EXPECT_EQ(record.faces().trigger(), Camera1FacesData::kSmile);
    EXPECT_TRUE(screen->facesSmileCell().checkbox().isOn());
    const struct {
        int segment;
        int stored;
    } counts[] = {{0, 1}, {1, 2}, {2, 3}, {3, Camera1FacesData::kAllFound}};
    for (const auto& c : counts) {
        screen->facesCountCell().segments().setSelectedSegmentIndex(c.segment);
        screen->facesCount();
        EXPECT_EQ(record.faces().faces(), c.stored);
    }
    EXPECT_EQ(screen->facesCountCell().segments().titleForSegment(3), "All Found");
    // The shared sensitivity row, and the mode's own delay (none among its
    // choices, as the stabilizer's) and repeat rows: the Faces mode's values, not the timer's.
    screen->sensitivityCell().segments().setSelectedSegmentIndex(2);
    screen->sensitivity();
    EXPECT_EQ(record.faces().sensitivity(), 3);
    EXPECT_EQ(screen->facesDelayCell().segments().selectedSegmentIndex(), 3);  // the stored 5 s
    const struct {
        int segment;
        int stored;
    } delays[] = {{0, 0}, {5, 15}, {SegmentedControl::kNoSegment, 5}};
    for (const auto& c : delays) {
        screen->facesDelayCell().segments().setSelectedSegmentIndex(c.segment);
        screen->facesDelay();
        EXPECT_EQ(record.faces().timerDelay(), c.stored) << "segment " << c.segment;
    }
    screen->facesDelayCell().segments().choose(0);
    EXPECT_EQ(record.faces().timerDelay(), 0);
    screen->facesRepeatCell().checkbox().toggle();
    EXPECT_TRUE(record.faces().repeat());
    EXPECT_EQ(record.timer().timerDelay(), 10);
    EXPECT_FALSE(record.timer().repeat());
    // The timer's rows write nothing in the Faces mode.
    screen->timerCell().segments().choose(0);
    screen->repeatCell().checkbox().setOn(true);
    screen->repeat();
    EXPECT_EQ(record.faces().timerDelay(), 0);
    EXPECT_EQ(record.timer().timerDelay(), 10);
    EXPECT_FALSE(record.timer().repeat());
    // Back on the screen, the rows show what is stored.
    record.faces().setTimerDelay(10);
    record.faces().setRepeat(false);
    screen->updateFaces();
    EXPECT_EQ(screen->facesDelayCell().segments().selectedSegmentIndex(), 4);
    EXPECT_FALSE(screen->facesRepeatCell().checkbox().isOn());
}

TEST_F(SettingsScreensTest, TheModeRowsFollowTheMode) {
    auto screen = open(Camera1Data::kStandard);
    EXPECT_EQ(screen->title(), "Settings");
    EXPECT_EQ(screen->numberOfSections(screen->tableView()), 3);
    EXPECT_EQ(rows(*screen, 0), std::vector<TableViewCell*>{screen->getModeCell()});
    EXPECT_EQ(rows(*screen, 2), std::vector<TableViewCell*>{screen->aboutCell()});
    EXPECT_EQ(screen->getModeCell()->label()->text(), "Mode: Standard");
    EXPECT_TRUE(screen->modeButton(1)->selected());
    EXPECT_FALSE(screen->modeButton(0)->selected());
    EXPECT_FLOAT_EQ(screen->heightForRow(screen->tableView(), IndexPath{0, 0}), 160);

    // Timer, then rapid fire: the timer rows give way to the rapid row.
    record.rapid().setRapidMode(16);
    screen->modeButton(Camera1Data::kTimer)->press();
    EXPECT_EQ(rows(*screen, 0),
              (std::vector<TableViewCell*>{screen->getModeCell(), &screen->timerCell(),
                                           &screen->repeatCell(), &screen->timerIntervalCell(),
                                           &screen->timerCountCell(), &screen->activeHoursCell()}));
    screen->modeButton(Camera1Data::kRapidFire)->press();
    EXPECT_EQ(record.mode(), Camera1Data::kRapidFire);
    EXPECT_EQ(rows(*screen, 0),
              (std::vector<TableViewCell*>{screen->getModeCell(), &screen->rapidModeCell()}));
    EXPECT_EQ(screen->rapidModeCell().segments().selectedSegmentIndex(), 0);
    EXPECT_EQ(screen->getModeCell()->subLabel()->text(), "Continuously take a sequence of photos.");

    // Print: its title and no rows of its own; an unknown mode keeps the texts.
    screen->chooseMode(Camera1Data::kPrint);
    EXPECT_EQ(rows(*screen, 0).size(), 1u);
    EXPECT_EQ(screen->getModeCell()->label()->text(), "Mode: Print");
    screen->chooseMode(42);
    EXPECT_EQ(screen->getModeCell()->label()->text(), "Mode: Print");
    EXPECT_EQ(rows(*screen, 0).size(), 1u);
    // The general rows are exactly those the mode's capability rules allow.
    for (TableViewCell* cell : rows(*screen, 1))
        EXPECT_NE(cell, nullptr);
    screen->chooseMode(Camera1Data::kStabilizing);
    EXPECT_EQ(rows(*screen, 0).size(), 5u);
    EXPECT_EQ(rows(*screen, 1).front() == &screen->ratioCell(), Camera1Data::canChangeRatio(0));
}

TEST_F(SettingsScreensTest, EveryModeNumberHasItsRows) {
    auto screen = open(Camera1Data::kStandard);
    const std::vector<std::pair<int, std::vector<TableViewCell*>>> modes{
        {-1, {}},
        {0,
         {&screen->sensitivityCell(), &screen->autoShutterCell(), &screen->shutterDelayCell(),
          &screen->maxWaitCell()}},
        {1, {}},
        {2,
         {&screen->timerCell(), &screen->repeatCell(), &screen->timerIntervalCell(),
          &screen->timerCountCell(), &screen->activeHoursCell()}},
        {3, {&screen->sensitivityCell()}},
        {4, {&screen->sensitivityCell(), &screen->ignoreLightCell()}},
        {5, {&screen->sensitivityCell()}},
        {6, {&screen->rapidModeCell()}},
        {7, {}},
        {8, {&screen->videoResolutionCell()}},
        {9, {&screen->anaglyphColorCell()}},
        {10, {}},
        {11,
         {&screen->facesSmileCell(), &screen->facesLookCell(), &screen->facesCountCell(),
          &screen->sensitivityCell(), &screen->facesDelayCell(), &screen->facesRepeatCell()}},
    };
    // Faces is offered where a face finder is.
    const FacesOffered offered;
    for (const auto& [mode, own] : modes) {
        for (const int variant : {ApplicationId::kThisBuild, 0}) {
            ApplicationId::setId(variant);
            screen->chooseMode(mode);
            std::vector<TableViewCell*> expected{screen->getModeCell()};
            expected.insert(expected.end(), own.begin(), own.end());
            EXPECT_EQ(rows(*screen, 0), expected) << "mode " << mode;
            // The general rows follow the variant's rules, in their fixed order.
            const auto general = rows(*screen, 1);
            EXPECT_EQ(std::count(general.begin(), general.end(), &screen->ratioCell()),
                      Camera1Data::canChangeRatio(mode) ? 1 : 0)
                << "mode " << mode << " variant " << variant;
            EXPECT_EQ(std::count(general.begin(), general.end(), &screen->photoSizeCell()),
                      Camera1Data::canChangeFullSizePhoto(mode) ? 1 : 0);
            EXPECT_EQ(std::count(general.begin(), general.end(), &screen->timerBeepCell()),
                      Camera1Data::canChangeTimerBeep(mode) ? 1 : 0);
            // Which frame the still is, last, where the mode offers it.
            EXPECT_EQ(std::count(general.begin(), general.end(), &screen->catchTheMomentCell()),
                      Camera1StillChoiceData::offersCatchTheMoment(mode) ? 1 : 0);
            EXPECT_EQ(std::count(general.begin(), general.end(), &screen->pickTheSharpestCell()),
                      Camera1StillChoiceData::offersPickTheSharpest(mode) ? 1 : 0);
        }
    }
    ApplicationId::setId(ApplicationId::kThisBuild);
}

TEST_F(SettingsScreensTest, ControlsAndRecordCorrespond) {
    record.stablizer().setShutterDelay(3);
    record.stablizer().setSensitivity(0);
    auto screen = open(Camera1Data::kStabilizing);
    EXPECT_EQ(screen->shutterDelayCell().segments().selectedSegmentIndex(), 2);
    EXPECT_EQ(screen->sensitivityCell().segments().selectedSegmentIndex(), 1);
    screen->shutterDelayCell().segments().choose(4);
    EXPECT_EQ(record.stablizer().shutterDelay(), 10);
    screen->sensitivityCell().segments().choose(0);
    EXPECT_EQ(record.stablizer().sensitivity(), 2);
    screen->autoShutterCell().checkbox().toggle();
    EXPECT_EQ(record.stablizer().autoShutter(), screen->autoShutterCell().checkbox().isOn());
    // No segment selected: the documented fallbacks.
    screen->shutterDelayCell().segments().setSelectedSegmentIndex(SegmentedControl::kNoSegment);
    screen->shutterDelay();
    EXPECT_EQ(record.stablizer().shutterDelay(), 1);
    screen->sensitivityCell().segments().setSelectedSegmentIndex(SegmentedControl::kNoSegment);
    screen->sensitivity();
    EXPECT_EQ(record.stablizer().sensitivity(), 0);
    // A stored value outside the table leaves the control as it was.
    screen->shutterDelayCell().segments().setSelectedSegmentIndex(5);
    record.stablizer().setShutterDelay(7);
    screen->updateStablizer();
    EXPECT_EQ(screen->shutterDelayCell().segments().selectedSegmentIndex(), 5);

    // Mode rows write only into their own mode's record.
    screen->chooseMode(Camera1Data::kSound);
    screen->sensitivityCell().segments().choose(2);
    EXPECT_EQ(record.sound().sensitivity(), 3);
    EXPECT_EQ(record.stablizer().sensitivity(), 0);
    record.timer().setTimerDelay(15);
    screen->timerCell().segments().choose(0);  // not in timer mode: nothing written
    EXPECT_EQ(record.timer().timerDelay(), 15);
    screen->chooseMode(Camera1Data::kTimer);
    EXPECT_EQ(screen->timerCell().segments().selectedSegmentIndex(), 3);
    screen->timerCell().segments().setSelectedSegmentIndex(SegmentedControl::kNoSegment);
    screen->timer();
    EXPECT_EQ(record.timer().timerDelay(), 30);

    // General rows in any mode.
    screen->photoSizeCell().segments().choose(1);
    EXPECT_FALSE(record.fullSizePhoto());
    screen->modificationCell().segments().choose(3);
    EXPECT_EQ(record.modification(), 3);
    const bool grid = record.grid();
    screen->gridCell().checkbox().toggle();
    EXPECT_NE(record.grid(), grid);
    screen->anaglyphColorCell().segments().choose(0);
    EXPECT_TRUE(record.anaglyph().color());
    record.setModification(7);  // outside the four segments: left as shown
    screen->updateGeneralData();
    EXPECT_EQ(screen->modificationCell().segments().selectedSegmentIndex(), 3);
}

TEST_F(SettingsScreensTest, SeriesWaitAndLightRowsShowAndStoreTheirValues) {
    record.timer().setInterval(300);
    record.timer().setCount(25);
    auto screen = open(Camera1Data::kTimer);
    EXPECT_EQ(screen->timerIntervalCell().segments().selectedSegmentIndex(), 5);
    EXPECT_EQ(screen->timerCountCell().segments().selectedSegmentIndex(), 3);
    const std::vector<std::pair<int, int>> intervals{{0, 0},  {1, 5},   {2, 10}, {3, 30},
                                                     {4, 60}, {5, 300}, {6, 900}};
    for (const auto& [segment, seconds] : intervals) {
        screen->timerIntervalCell().segments().choose(segment);
        EXPECT_EQ(record.timer().interval(), seconds);
    }
    for (const auto& [segment, count] :
         std::vector<std::pair<int, int>>{{0, 0}, {1, 5}, {2, 10}, {3, 25}, {4, 100}}) {
        screen->timerCountCell().segments().choose(segment);
        EXPECT_EQ(record.timer().count(), count);
    }
    screen->timerCountCell().segments().setSelectedSegmentIndex(SegmentedControl::kNoSegment);
    screen->timerCount();
    EXPECT_EQ(record.timer().count(), 0);  // outside the table: until pressed

    screen->chooseMode(Camera1Data::kStabilizing);
    EXPECT_EQ(screen->maxWaitCell().segments().selectedSegmentIndex(), 0);  // for ever
    screen->maxWaitCell().segments().choose(3);
    EXPECT_EQ(record.stablizer().maxWait(), 30);
    screen->timerIntervalCell().segments().choose(1);  // not in timer mode: nothing written
    EXPECT_EQ(record.timer().interval(), 900);

    screen->chooseMode(Camera1Data::kMotion);
    EXPECT_FALSE(screen->ignoreLightCell().checkbox().isOn());
    screen->ignoreLightCell().checkbox().toggle();
    EXPECT_TRUE(record.motion().ignoreLight());
    record.motion().setIgnoreLight(false);
    screen->viewWillAppear(false);
    screen->chooseMode(Camera1Data::kMotion);
    EXPECT_FALSE(screen->ignoreLightCell().checkbox().isOn());
}

TEST_F(SettingsScreensTest, PhotoSizeTextsFollowTheRatioAndTheModel) {
    auto screen = open(Camera1Data::kStandard);
    EXPECT_EQ(screen->sizeText(0, true), "1600x1200");
    EXPECT_EQ(screen->sizeText(0, false), "640x480");
    EXPECT_EQ(screen->sizeText(2, true), "1200x1200");
    EXPECT_EQ(screen->sizeText(2, false), "480x480");
    EXPECT_EQ(screen->sizeText(1, true), "1600x900");
    EXPECT_EQ(screen->sizeText(1, false), "640x360");
    FixedSystemInfo phone("3.1.3", "iPhone2,1");
    SystemUtils phoneSystem(phone);
    SettingsController onPhone(phoneSystem, nullptr);
    EXPECT_EQ(onPhone.sizeText(0, true), "2048x1536");
    EXPECT_EQ(onPhone.numberOfSections(onPhone.tableView()), 2);  // no About row
    record.setRatio(0);
    screen->viewWillAppear(false);
    EXPECT_EQ(screen->photoSizeCell().segments().titleForSegment(0),
              screen->sizeText(Camera1Data::effective().ratio(), true));
    EXPECT_EQ(screen->ratioCell().label()->text(),
              "Photo Ratio: " + Camera1Data::getRatioText(Camera1Data::effective().ratio()));
}

TEST_F(SettingsScreensTest, RowsOpenTheAboutScreenAndTheChoosers) {
    auto screen = open(Camera1Data::kStandard);
    screen->didSelectRow(screen->tableView(), IndexPath{2, 0});
    EXPECT_EQ(&navigation->topViewController(), screen->aboutController());
    navigation->popViewController(false);
    const auto general = rows(*screen, 1);
    for (int r = 0; r < static_cast<int>(general.size()); ++r) {
        if (general[static_cast<std::size_t>(r)] == &screen->ratioCell()) {
            screen->didSelectRow(screen->tableView(), IndexPath{1, r});
            ASSERT_NE(screen->ratioController(), nullptr);
            EXPECT_EQ(&navigation->topViewController(), screen->ratioController());
            EXPECT_EQ(screen->ratioController()->title(), "Photo Ratio");
            navigation->popViewController(false);
        }
        if (general[static_cast<std::size_t>(r)] == &screen->modificationCell()) {
            screen->didSelectRow(screen->tableView(), IndexPath{1, r});
            EXPECT_EQ(&navigation->topViewController(), screen->effectController());
            navigation->popViewController(false);
        }
    }
}

TEST_F(SettingsScreensTest, ChoosersMarkAndStoreTheirValue) {
    record.setRatio(0);
    RatioController ratios;
    TableView& table = ratios.tableView();
    auto marked = [&] {
        std::vector<int> rowsMarked;
        for (int r = 0; r < RatioController::kRows; ++r)
            if (ratios.cellForRow(table, IndexPath{0, r})->accessory() ==
                TableViewCell::Accessory::kCheckmark)
                rowsMarked.push_back(r);
        return rowsMarked;
    };
    EXPECT_EQ(marked(), std::vector<int>{3});
    EXPECT_EQ(ratios.cellForRow(table, IndexPath{0, 3})->textLabel().text(), "4 x 3");
    EXPECT_EQ(ratios.cellForRow(table, IndexPath{0, 9})->detailTextLabel().text(),
              "1.6180339887...");
    ratios.didSelectRow(table, IndexPath{0, 0});
    EXPECT_EQ(record.ratio(), 2);
    EXPECT_EQ(marked(), std::vector<int>{0});
    record.setRatio(40);
    EXPECT_TRUE(marked().empty());

    record.setModification(2);
    EffectController effects;
    EXPECT_EQ(effects.cellForRow(effects.tableView(), IndexPath{0, 2})->textLabel().text(),
              "Sepia");
    EXPECT_EQ(effects.cellForRow(effects.tableView(), IndexPath{0, 2})->accessory(),
              TableViewCell::Accessory::kCheckmark);
    effects.didSelectRow(effects.tableView(), IndexPath{0, 1});
    EXPECT_EQ(record.modification(), 1);
}

TEST(SettingsCellsTest, CopiesTakeTheTemplatesLook) {
    CustomTableViewCell withSubLabelOnly(Rect{0, 0, 300, 50});
    auto sub = std::make_shared<Label>(Rect{5, 6, 100, 20});
    sub->setText("under");
    sub->setFont(Font{12, false});
    withSubLabelOnly.setSubLabel(sub);
    withSubLabelOnly.setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    const auto copy = withSubLabelOnly.copyWithIdentifier("c");
    EXPECT_EQ(copy->label(), nullptr);
    ASSERT_NE(copy->subLabel(), nullptr);
    EXPECT_EQ(copy->subLabel()->text(), "under");
    EXPECT_EQ(copy->subLabel()->frame().width, 100);
    EXPECT_EQ(copy->accessory(), TableViewCell::Accessory::kDisclosureIndicator);
    EXPECT_EQ(copy->reuseIdentifier(), "c");

    SwitchTableViewCell switchRow;
    const auto plain = switchRow.copyWithIdentifier("s");
    EXPECT_EQ(dynamic_cast<SwitchTableViewCell*>(plain.get()),
              nullptr);  // the base class, no switch

    const auto row = ImageTableViewCell::initWithIdentifier("i");
    EXPECT_EQ(row->label()->frame().x, 60);
    EXPECT_EQ(row->imageView()->frame().width, 32);
    row->enable(false);
    EXPECT_EQ(row->imageView()->alpha(), 0.5);
    EXPECT_EQ(row->selectionStyle(), TableViewCell::SelectionStyle::kNone);
    EXPECT_NE(row->label()->textColor().red, 0.0);
    const auto imageCopy =
        std::dynamic_pointer_cast<ImageTableViewCell>(row->copyWithIdentifier("j"));
    ASSERT_NE(imageCopy, nullptr);
    EXPECT_NE(imageCopy->imageView(), nullptr);
}

// The active hours row opens its chooser; the chooser's ends open their
// lists; every tap stores at once, and the row reads the record again
// whenever the screen is back.
TEST_F(SettingsScreensTest, ActiveHoursAreChosenThroughTheirRowAndItsLists) {
    // A store from before the active hours: off, and both ends at 00:00.
    record.timer().setActiveFrom(0);
    record.timer().setActiveTo(0);
    auto screen = open(Camera1Data::kTimer);
    CustomTableViewCell& row = screen->activeHoursCell();
    EXPECT_EQ(row.label()->text(), "Active Hours: Always");
    EXPECT_EQ(row.subLabel()->text(), "Photos at any time of day");
    EXPECT_EQ(row.accessory(), TableViewCell::Accessory::kDisclosureIndicator);
    const IndexPath rowPath{0, 5};
    ASSERT_EQ(screen->cellForRow(screen->tableView(), rowPath).get(), &row);
    EXPECT_FLOAT_EQ(screen->heightForRow(screen->tableView(), rowPath), 62);

    screen->didSelectRow(screen->tableView(), rowPath);
    ActiveHoursController* chooser = screen->activeHoursController();
    ASSERT_NE(chooser, nullptr);
    ASSERT_EQ(&navigation->topViewController(), chooser);
    EXPECT_EQ(chooser->title(), "Active Hours");
    TableView& table = chooser->tableView();
    auto text = [&](TableViewController& list, IndexPath path) {
        return list.cellForRow(list.tableView(), path)->textLabel().text();
    };
    auto marked = [&](TableViewController& list, IndexPath path) {
        return list.cellForRow(list.tableView(), path)->accessory() ==
               TableViewCell::Accessory::kCheckmark;
    };
    EXPECT_EQ(chooser->numberOfSections(table), 1);
    EXPECT_EQ(text(*chooser, {0, 0}), "Always");
    EXPECT_TRUE(marked(*chooser, {0, 0}));
    EXPECT_FALSE(marked(*chooser, {0, 1}));

    // On: the ends begin at the daylight span, not at 00:00 to 00:00.
    chooser->didSelectRow(table, {0, 1});
    EXPECT_TRUE(record.timer().activeHours());
    EXPECT_EQ(record.timer().activeFrom(), 7 * 60);
    EXPECT_EQ(record.timer().activeTo(), 19 * 60);
    EXPECT_TRUE(marked(*chooser, {0, 1}));
    ASSERT_EQ(chooser->numberOfSections(table), 2);
    EXPECT_EQ(text(*chooser, {1, 0}), "From: 07:00");
    EXPECT_EQ(text(*chooser, {1, 1}), "To: 19:00");

    // From: the hour, then the minutes.
    chooser->didSelectRow(table, {1, 0});
    TimeOfDayController* from = chooser->fromController();
    ASSERT_NE(from, nullptr);
    ASSERT_EQ(&navigation->topViewController(), from);
    EXPECT_EQ(from->title(), "From");
    EXPECT_EQ(from->numberOfRows(from->tableView(), 1), 24);
    EXPECT_TRUE(marked(*from, {1, 7}));
    from->didSelectRow(from->tableView(), {1, 22});
    EXPECT_EQ(record.timer().activeFrom(), 22 * 60);
    from->cellForRow(from->tableView(), {0, 0});
    EXPECT_EQ(from->minutesCell().segments().selectedSegmentIndex(), 0);
    from->minutesCell().segments().choose(2);
    EXPECT_EQ(record.timer().activeFrom(), 22 * 60 + 30);
    EXPECT_EQ(text(*from, {1, 22}), "22:30");  // the rows read as what a tap stores
    EXPECT_TRUE(marked(*from, {1, 22}));
    EXPECT_FALSE(marked(*from, {1, 7}));
    from->didSelectRow(from->tableView(), {1, 23});
    EXPECT_EQ(record.timer().activeFrom(), 23 * 60 + 30);  // the minutes stay
    from->didSelectRow(from->tableView(), {1, 22});
    navigation->popViewController(false);
    EXPECT_EQ(text(*chooser, {1, 0}), "From: 22:30");

    // To: a stored minute off the row's steps selects no minutes segment.
    record.timer().setActiveTo(2 * 60 + 7);
    chooser->didSelectRow(table, {1, 1});
    TimeOfDayController* to = chooser->toController();
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->title(), "To");
    to->cellForRow(to->tableView(), {0, 0});
    EXPECT_EQ(to->minutesCell().segments().selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_EQ(text(*to, {1, 3}), "03:07");
    to->minutesCell().segments().choose(0);
    EXPECT_EQ(record.timer().activeTo(), 2 * 60);
    navigation->popViewController(false);
    navigation->popViewController(false);

    // Back on the settings: the row says what was chosen.
    ASSERT_EQ(&navigation->topViewController(), screen.get());
    EXPECT_EQ(row.label()->text(), "Active Hours: 22:30\u201302:00");
    EXPECT_EQ(row.subLabel()->text(), "No photos outside these hours");

    // Off again: the ends are kept for the next time.
    screen->didSelectRow(screen->tableView(), rowPath);
    chooser->didSelectRow(table, {0, 0});
    EXPECT_FALSE(record.timer().activeHours());
    EXPECT_EQ(chooser->numberOfSections(table), 1);
    EXPECT_EQ(record.timer().activeFrom(), 22 * 60 + 30);
    navigation->popViewController(false);
    EXPECT_EQ(row.label()->text(), "Active Hours: Always");
    // A span changed elsewhere (kestrel-cli) shows when the screen comes back.
    record.timer().setActiveHours(true);
    screen->viewWillAppear(false);
    EXPECT_EQ(row.label()->text(), "Active Hours: 22:30\u201302:00");
}

}  // namespace
}  // namespace kestrel
