#pragma once

#include "core/platform/SystemUtils.h"
#include "core/settingsui/CustomTableViewCell.h"
#include "core/settingsui/SegmentedTableViewCell.h"
#include "core/settingsui/SwitchTableViewCell.h"
#include "core/ui/TableViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrel {

class RatioController;
class EffectController;
class ActiveHoursController;

// "Settings": a grouped table whose first section holds the mode and its
// controls, the second the photo options the mode allows, the third the
// About row. Every control writes the settings record at once.
class CameraSettingsController : public TableViewController {
public:
    static constexpr const char* kFlipNotification = "Flip";
    // The rows' layout: the grouped table's row width, the texts' left
    // inset, the strip on the right where a row's accessory mark is drawn,
    // and one bold title size for every row.
    static constexpr float kRowWidth = 300;
    static constexpr float kInset = 10;
    static constexpr float kAccessorySpace = 30;
    static constexpr Font kRowTitleFont{15, true};
    // Makes the About screen when its row is first chosen; none: no About row.
    using AboutFactory = std::function<std::shared_ptr<ViewController>()>;

    CameraSettingsController(const SystemUtils& system, AboutFactory about);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // --- Hooks for subclasses ---
    virtual SegmentedTableViewCell* getModeCell() { return nullptr; }
    virtual float getCellHeight(const TableViewCell& cell);
    virtual void updateModeData();
    virtual void updateStablizer();
    virtual void updateStandard() {}
    virtual void updateTimer();
    virtual void updateToss();
    virtual void updateMotion();
    virtual void updateSound();
    virtual void updateRapid();
    virtual void updateDouble() {}
    virtual void updateVideo();
    virtual void update3d();
    virtual void updateFaces();
    virtual void mode(int segment) { (void)segment; }

    // --- Building and refreshing ---
    void refreshCellLists();
    void resetCellLists();
    void updateGeneralData();
    void populateCellLists();
    void updateSizeOptions();
    // "WxH" of a picture at a ratio index, full size or 640 wide.
    std::string sizeText(int ratio, bool fullSize) const;
    // The mode's label and description (unchanged texts for a mode outside the table).
    static const char* modeTitle(int mode);
    static const char* modeDescription(int mode);

    // --- Control actions ---
    void fullScreenShutter();
    void digitalZoom();
    void grid();
    void timerBeep();
    void vibrateAlert();
    void soundCues();
    void mirrorFrontPhotos();
    void autoSave();
    void timeStamp();
    void enhance();
    void modification();
    void photoSize();
    void autoShutter();
    void shutterDelay();
    void sensitivity();
    void timer();
    void repeat();
    void timerInterval();
    void timerCount();
    void maxWait();
    void ignoreLight();
    void catchTheMoment();
    void pickTheSharpest();
    void rapidMode();
    void videoResolution();
    void anaglyphColor();
    // The Faces mode's rows: the trigger (smile or look, one of them on), the
    // faces to wait for, its own count-down and repeat.
    void facesSmile();
    void facesLook();
    void facesTrigger(bool smile);
    void facesCount();
    void facesDelay();
    void facesRepeat();
    void done();

    // --- The table ---
    int numberOfSections(TableView& table) override;
    int numberOfRows(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    float heightForRow(TableView& table, IndexPath path) override;
    void didSelectRow(TableView& table, IndexPath path) override;

    // --- The cells (built here, as the screen's interface definition) ---
    SwitchTableViewCell& fullScreenShutterCell() { return *fullScreenShutterCell_; }
    SwitchTableViewCell& digitalZoomCell() { return *digitalZoomCell_; }
    SwitchTableViewCell& gridCell() { return *gridCell_; }
    SwitchTableViewCell& timerBeepCell() { return *timerBeepCell_; }
    SwitchTableViewCell& vibrateAlertCell() { return *vibrateAlertCell_; }
    SwitchTableViewCell& soundCuesCell() { return *soundCuesCell_; }
    SwitchTableViewCell& mirrorFrontPhotosCell() { return *mirrorFrontPhotosCell_; }
    SwitchTableViewCell& autoSaveCell() { return *autoSaveCell_; }
    SwitchTableViewCell& timeStampCell() { return *timeStampCell_; }
    SwitchTableViewCell& enhanceCell() { return *enhanceCell_; }
    SwitchTableViewCell& autoShutterCell() { return *autoShutterCell_; }
    SwitchTableViewCell& repeatCell() { return *repeatCell_; }
    SwitchTableViewCell& ignoreLightCell() { return *ignoreLightCell_; }
    SwitchTableViewCell& catchTheMomentCell() { return *catchTheMomentCell_; }
    SwitchTableViewCell& pickTheSharpestCell() { return *pickTheSharpestCell_; }
    SegmentedTableViewCell& timerIntervalCell() { return *timerIntervalCell_; }
    SegmentedTableViewCell& timerCountCell() { return *timerCountCell_; }
    SegmentedTableViewCell& maxWaitCell() { return *maxWaitCell_; }
    SegmentedTableViewCell& modificationCell() { return *modificationCell_; }
    SegmentedTableViewCell& shutterDelayCell() { return *shutterDelayCell_; }
    SegmentedTableViewCell& sensitivityCell() { return *sensitivityCell_; }
    SegmentedTableViewCell& timerCell() { return *timerCell_; }
    SegmentedTableViewCell& photoSizeCell() { return *photoSizeCell_; }
    SegmentedTableViewCell& rapidModeCell() { return *rapidModeCell_; }
    SegmentedTableViewCell& videoResolutionCell() { return *videoResolutionCell_; }
    SegmentedTableViewCell& anaglyphColorCell() { return *anaglyphColorCell_; }
    SwitchTableViewCell& facesSmileCell() { return *facesSmileCell_; }
    SwitchTableViewCell& facesLookCell() { return *facesLookCell_; }
    SegmentedTableViewCell& facesCountCell() { return *facesCountCell_; }
    SegmentedTableViewCell& facesDelayCell() { return *facesDelayCell_; }
    SwitchTableViewCell& facesRepeatCell() { return *facesRepeatCell_; }
    CustomTableViewCell& ratioCell() { return *ratioCell_; }
    // The timer's active hours; it opens their chooser.
    CustomTableViewCell& activeHoursCell() { return *activeHoursCell_; }
    CustomTableViewCell* aboutCell() { return aboutCell_.get(); }
    const std::vector<std::shared_ptr<TableViewCell>>& modeCellList() const {
        return modeCellList_;
    }
    const std::vector<std::shared_ptr<TableViewCell>>& generalCellList() const {
        return generalCellList_;
    }
    ViewController* aboutController() const { return aboutController_.get(); }
    RatioController* ratioController() const { return ratioController_.get(); }
    EffectController* effectController() const { return effectController_.get(); }
    ActiveHoursController* activeHoursController() const { return activeHoursController_.get(); }

protected:
    // The mode cell's shared pointer, for the subclass that has one.
    virtual std::shared_ptr<TableViewCell> modeCellPointer() { return nullptr; }

private:
    std::shared_ptr<SwitchTableViewCell> makeSwitch(const std::string& label,
                                                    void (CameraSettingsController::*action)());
    std::shared_ptr<SegmentedTableViewCell> makeSegments(
        const std::string& label, std::vector<std::string> titles,
        void (CameraSettingsController::*action)());
    void pushController(const std::shared_ptr<ViewController>& controller);
    // The active hours row's texts, from the record: filled when the timer's
    // rows are, and again whenever the screen appears (back from the chooser).
    void updateActiveHours();

    const SystemUtils* system_;
    AboutFactory aboutFactory_;
    std::shared_ptr<SwitchTableViewCell> fullScreenShutterCell_, digitalZoomCell_, gridCell_,
        timerBeepCell_, vibrateAlertCell_, soundCuesCell_, mirrorFrontPhotosCell_, autoSaveCell_, timeStampCell_, enhanceCell_,
        autoShutterCell_, repeatCell_;
    std::shared_ptr<SegmentedTableViewCell> modificationCell_, shutterDelayCell_, sensitivityCell_,
        timerCell_, photoSizeCell_, rapidModeCell_, videoResolutionCell_, anaglyphColorCell_;
    std::shared_ptr<CustomTableViewCell> ratioCell_;
    // The series, waiting and light rows of the timer, stabilizer and motion modes.
    std::shared_ptr<SegmentedTableViewCell> timerIntervalCell_, timerCountCell_, maxWaitCell_;
    std::shared_ptr<SwitchTableViewCell> ignoreLightCell_;
    std::shared_ptr<SwitchTableViewCell> facesSmileCell_, facesLookCell_, facesRepeatCell_;
    std::shared_ptr<SegmentedTableViewCell> facesCountCell_, facesDelayCell_;
    std::shared_ptr<SwitchTableViewCell> catchTheMomentCell_;
    std::shared_ptr<SwitchTableViewCell> pickTheSharpestCell_;
    std::shared_ptr<CustomTableViewCell> activeHoursCell_;
    std::shared_ptr<ActiveHoursController> activeHoursController_;
    std::shared_ptr<CustomTableViewCell> aboutCell_;
    std::shared_ptr<ViewController> aboutController_;
    std::shared_ptr<RatioController> ratioController_;
    std::shared_ptr<EffectController> effectController_;
    std::vector<std::shared_ptr<TableViewCell>> modeCellList_;
    std::vector<std::shared_ptr<TableViewCell>> generalCellList_;
    int builtMode_ = -1;
};

}  // namespace kestrel
