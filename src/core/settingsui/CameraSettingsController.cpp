#include "core/settingsui/CameraSettingsController.h"

#include "core/platform/NotificationCenter.h"
#include "core/settings/ActiveHours.h"
#include "core/settings/Camera1Data.h"
#include "core/settingsui/ActiveHoursController.h"
#include "core/settingsui/RatioController.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace kestrel {
namespace {

// Segment index ↔ stored value of the settings' segmented rows.
constexpr std::array<int, 3> kSensitivity{2, 0, 3};
constexpr std::array<int, 6> kShutterDelay{0, 1, 3, 5, 10, 15};
constexpr std::array<int, 6> kTimerDelay{1, 5, 10, 15, 30, 60};
constexpr std::array<int, 7> kTimerInterval{0, 5, 10, 30, 60, 300, 900};
constexpr std::array<int, 5> kTimerCount{0, 5, 10, 25, 100};
constexpr std::array<int, 4> kMaxWait{0, 5, 10, 30};
constexpr std::array<int, 2> kRapidMode{16, 25};
constexpr std::array<int, 3> kVideoResolution{320, 160, 128};
constexpr std::array<int, 4> kFacesCount{1, 2, 3, Camera1FacesData::kAllFound};
// The Faces mode's count-down offers the stabilizer's choices, none among
// them: the watching modes wait for their event, not for the clock.
constexpr const std::array<int, 6>& kFacesDelay = kShutterDelay;

template <std::size_t N>
int valueAt(const std::array<int, N>& table, int index, int outside) {
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? table[static_cast<std::size_t>(index)]
               : outside;
}

// Selects the segment of `value`; a value outside the table leaves the control as it was.
template <std::size_t N>
void showValue(SegmentedControl& control, const std::array<int, N>& table, int value) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == value) {
            control.setSelectedSegmentIndex(static_cast<int>(i));
            return;
        }
}

Camera1Data* record() { return Camera1Data::data(); }
int currentMode() { return record() ? record()->mode() : -1; }

constexpr const char* kModeTitles[] = {
    "Mode: Stabilizing", "Mode: Standard",    "Mode: Timer",      "Mode: Moving",
    "Mode: Motion",      "Mode: Sound",       "Mode: Rapid Fire", "Mode: Double Exposure",
    "Mode: Video",       "Mode: Anaglyph 3D", "Mode: Print",        "Mode: Faces",
};
constexpr const char* kModeDescriptions[] = {
    "Accelerometer-assisted camera mode. Shutter fires when camera is stable.",
    "Standard auto exposure camera mode.",
    "Camera Timer: Shutter fires after a specified delay.",
    "Accelerometer-assisted camera mode. Shutter fires when camera moves.",
    "Camera with motion detection. Shutter fires when camera detects movement.",
    "Sound Control: Shutter fires when camera detects loud noise.",
    "Continuously take a sequence of photos.",
    "Overlay two photos.",
    "Sequnece of photos at 8 frames/second.",
    "Two photos overlaid as anaglyph red/cyan 3D photo.",
    "Veloro Printing.",
    "Shutter fires when the people in view smile or look at the camera.",
};

}  // namespace

const char* CameraSettingsController::modeTitle(int mode) {
    return mode >= 0 && mode <= Camera1Data::kFaces ? kModeTitles[mode] : nullptr;
}

const char* CameraSettingsController::modeDescription(int mode) {
    return mode >= 0 && mode <= Camera1Data::kFaces ? kModeDescriptions[mode] : nullptr;
}

CameraSettingsController::CameraSettingsController(const SystemUtils& system, AboutFactory about)
    : TableViewController(TableView::Style::kGrouped),
      system_(&system),
      aboutFactory_(std::move(about)) {
    using C = CameraSettingsController;
    fullScreenShutterCell_ = makeSwitch("Full-Screen Shutter", &C::fullScreenShutter);
    digitalZoomCell_ = makeSwitch("Digital Zoom", &C::digitalZoom);
    gridCell_ = makeSwitch("Grid", &C::grid);
    timerBeepCell_ = makeSwitch("Timer Beep", &C::timerBeep);
    vibrateAlertCell_ = makeSwitch("Vibrate", &C::vibrateAlert);
    soundCuesCell_ = makeSwitch("Sound Cues", &C::soundCues);
    mirrorFrontPhotosCell_ = makeSwitch("Mirror Front Photos", &C::mirrorFrontPhotos);
    autoSaveCell_ = makeSwitch("Auto Save", &C::autoSave);
    timeStampCell_ = makeSwitch("Time Stamp", &C::timeStamp);
    enhanceCell_ = makeSwitch("Enhance", &C::enhance);
    autoShutterCell_ = makeSwitch("Auto Shutter", &C::autoShutter);
    repeatCell_ = makeSwitch("Repeat", &C::repeat);
    modificationCell_ =
        makeSegments("Effect", {"Color", "Gray Scale", "Sepia", "Hard Light"}, &C::modification);
    // The taller effect row opens the effect list too: its segments end
    // short of the disclosure mark.
    modificationCell_->setFrame(Rect{0, 0, kRowWidth, 72});
    modificationCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    const float besideMark = kRowWidth - kInset - kAccessorySpace;
    modificationCell_->segments().setFrame(Rect{kInset, 34, besideMark - kInset, 30});
    modificationCell_->label()->setFrame(Rect{kInset, 4, besideMark - kInset, 22});
    modificationCell_->subLabel()->setFrame(Rect{kInset, 20, besideMark - kInset, 14});
    shutterDelayCell_ =
        makeSegments("Shutter Delay", {"0s", "1s", "3s", "5s", "10s", "15s"}, &C::shutterDelay);
    sensitivityCell_ = makeSegments("Sensitivity", {"Low", "Medium", "High"}, &C::sensitivity);
    timerCell_ = makeSegments("Timer Delay", {"1s", "5s", "10s", "15s", "30s", "60s"}, &C::timer);
    timerIntervalCell_ = makeSegments("Interval", {"Off", "5s", "10s", "30s", "1m", "5m", "15m"},
                                      &C::timerInterval);
    timerCountCell_ = makeSegments("Photos", {"\u221e", "5", "10", "25", "100"}, &C::timerCount);
    maxWaitCell_ = makeSegments("Maximum Wait", {"\u221e", "5s", "10s", "30s"}, &C::maxWait);
    ignoreLightCell_ = makeSwitch("Ignore Light Changes", &C::ignoreLight);
    catchTheMomentCell_ = makeSwitch("Catch the Moment", &C::catchTheMoment);
    pickTheSharpestCell_ = makeSwitch("Pick the Sharpest", &C::pickTheSharpest);
    photoSizeCell_ = makeSegments("Photo Size", {"", ""}, &C::photoSize);
    rapidModeCell_ = makeSegments("Photos per Sheet", {"16", "25"}, &C::rapidMode);
    videoResolutionCell_ =
        makeSegments("Video Resolution", {"320", "160", "128"}, &C::videoResolution);
    anaglyphColorCell_ = makeSegments("3D Colors", {"Channels", "Tinted"}, &C::anaglyphColor);
    // The Faces mode's two triggers: one of them is on.
    facesSmileCell_ = makeSwitch("When They Smile", &C::facesSmile);
    facesLookCell_ = makeSwitch("When They Look at the Camera", &C::facesLook);
    facesCountCell_ = makeSegments("Faces to Wait For", {"1", "2", "3", "All Found"}, &C::facesCount);
    facesDelayCell_ =
        makeSegments("Shutter Delay", {"0s", "1s", "3s", "5s", "10s", "15s"}, &C::facesDelay);
    facesRepeatCell_ = makeSwitch("Repeat", &C::facesRepeat);
    // Rows with a disclosure mark keep their texts short of it.
    ratioCell_ = std::make_shared<CustomTableViewCell>(Rect{0, 0, kRowWidth, 62});
    ratioCell_->setLabel(std::make_shared<Label>(Rect{kInset, 9, besideMark - kInset, 24}));
    ratioCell_->label()->setFont(kRowTitleFont);
    ratioCell_->setSubLabel(std::make_shared<Label>(Rect{kInset, 33, besideMark - kInset, 18}));
    ratioCell_->subLabel()->setFont(Font{14, false});
    ratioCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    activeHoursCell_ = std::make_shared<CustomTableViewCell>(Rect{0, 0, kRowWidth, 62});
    activeHoursCell_->setLabel(std::make_shared<Label>(Rect{kInset, 9, besideMark - kInset, 24}));
    activeHoursCell_->label()->setFont(kRowTitleFont);
    activeHoursCell_->setSubLabel(
        std::make_shared<Label>(Rect{kInset, 33, besideMark - kInset, 18}));
    activeHoursCell_->subLabel()->setFont(Font{14, false});
    activeHoursCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    if (aboutFactory_) {
        aboutCell_ = std::make_shared<CustomTableViewCell>(Rect{0, 0, kRowWidth, 62});
        aboutCell_->setLabel(std::make_shared<Label>(Rect{kInset, 19, besideMark - kInset, 24}));
        aboutCell_->label()->setFont(kRowTitleFont);
        aboutCell_->setText("About");
        aboutCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    }
    setDoneButton([this] { done(); });
}

std::shared_ptr<SwitchTableViewCell> CameraSettingsController::makeSwitch(
    const std::string& label, void (CameraSettingsController::*action)()) {
    auto cell = std::make_shared<SwitchTableViewCell>(Rect{0, 0, kRowWidth, 62});
    // The label runs up to the switch, which keeps to the right, and down
    // the row's height: a title too long for one line beside the switch (in
    // a phone's narrow column) reads whole on two, a short one stays in the
    // middle of the row.
    const float beforeSwitch = cell->checkbox().frame().x - 4;
    cell->setLabel(std::make_shared<Label>(Rect{kInset, 4, beforeSwitch - kInset, 54}));
    cell->label()->setFont(kRowTitleFont);
    cell->setText(label);
    cell->setSelectionStyle(TableViewCell::SelectionStyle::kNone);
    cell->checkbox().setAction([this, action](Switch&) { (this->*action)(); });
    return cell;
}

std::shared_ptr<SegmentedTableViewCell> CameraSettingsController::makeSegments(
    const std::string& label, std::vector<std::string> titles,
    void (CameraSettingsController::*action)()) {
    auto cell =
        std::make_shared<SegmentedTableViewCell>(Rect{0, 0, kRowWidth, 62}, "", std::move(titles));
    cell->setLabel(std::make_shared<Label>(Rect{kInset, 2, kRowWidth - 2 * kInset, 22}));
    cell->label()->setFont(kRowTitleFont);
    cell->setText(label);
    cell->setSubLabel(std::make_shared<Label>(Rect{kInset, 20, kRowWidth - 2 * kInset, 14}));
    cell->subLabel()->setFont(Font{12, false});
    cell->setSelectionStyle(TableViewCell::SelectionStyle::kNone);
    cell->segments().setAction([this, action](SegmentedControl&) { (this->*action)(); });
    return cell;
}

void CameraSettingsController::viewDidLoad() {
    setTitle("Settings");
    if (SegmentedTableViewCell* modeCell = getModeCell()) {
        if (modeCell->label() && modificationCell_->label())
            modeCell->label()->setFont(modificationCell_->label()->font());
        if (modeCell->subLabel() && modificationCell_->subLabel())
            modeCell->subLabel()->setFont(modificationCell_->subLabel()->font());
    }
    refreshCellLists();
}

void CameraSettingsController::viewWillAppear(bool) {
    // A mode changed elsewhere (the camera's keys, kestrel-cli) brings its rows.
    if (currentMode() != builtMode_) refreshCellLists();
    updateGeneralData();
    updateActiveHours();
    tableView().reloadData();
}

// --- Building ---

void CameraSettingsController::resetCellLists() {
    modeCellList_.clear();
    generalCellList_.clear();
}

void CameraSettingsController::refreshCellLists() {
    resetCellLists();
    updateGeneralData();
    populateCellLists();
}

void CameraSettingsController::populateCellLists() {
    if (auto modeCell = modeCellPointer()) modeCellList_.push_back(modeCell);
    const int mode = currentMode();
    builtMode_ = mode;
    const std::pair<bool (*)(int), std::shared_ptr<TableViewCell>> general[] = {
        {&Camera1Data::canChangeRatio, ratioCell_},
        {&Camera1Data::canChangeFullSizePhoto, photoSizeCell_},
        {&Camera1Data::canChangeModification, modificationCell_},
        {&Camera1Data::canChangeEnhance, enhanceCell_},
        {&Camera1Data::canChangeFullScreenShutter, fullScreenShutterCell_},
        {&Camera1Data::canChangeDigitalZoom, digitalZoomCell_},
        {&Camera1Data::canChangeGrid, gridCell_},
        {&Camera1Data::canChangeAutoSave, autoSaveCell_},
        {&Camera1Data::canChangeTimeStamp, timeStampCell_},
        {&Camera1Data::canChangeVibrateAlert, vibrateAlertCell_},
        {[](int) { return true; }, soundCuesCell_},  // every mode can be heard
        {[](int) { return true; }, mirrorFrontPhotosCell_},  // every mode takes photos
        {&Camera1Data::canChangeTimerBeep, timerBeepCell_},
    };
    for (const auto& [allowed, cell] : general)
        if (allowed(mode)) generalCellList_.push_back(cell);
    // Which frame the mode's still is, with the other choices of the photo.
    const Camera1StillChoiceData* choice = record() ? &record()->stillChoice() : nullptr;
    if (Camera1StillChoiceData::offersCatchTheMoment(mode)) {
        generalCellList_.push_back(catchTheMomentCell_);
        catchTheMomentCell_->checkbox().setOn(choice && choice->catchTheMoment(mode));
    }
    if (Camera1StillChoiceData::offersPickTheSharpest(mode)) {
        generalCellList_.push_back(pickTheSharpestCell_);
        pickTheSharpestCell_->checkbox().setOn(choice && choice->pickTheSharpest(mode));
    }

    auto add = [this](std::initializer_list<std::shared_ptr<TableViewCell>> cells) {
        modeCellList_.insert(modeCellList_.end(), cells.begin(), cells.end());
    };
    switch (mode) {
        case Camera1Data::kStabilizing:
            add({sensitivityCell_, autoShutterCell_, shutterDelayCell_, maxWaitCell_});
            updateStablizer();
            break;
        case Camera1Data::kStandard:
            updateStandard();
            break;
        case Camera1Data::kTimer:
            add({timerCell_, repeatCell_, timerIntervalCell_, timerCountCell_, activeHoursCell_});
            updateTimer();
            break;
        case Camera1Data::kMoving:
            add({sensitivityCell_});
            updateToss();
            break;
        case Camera1Data::kMotion:
            add({sensitivityCell_, ignoreLightCell_});
            updateMotion();
            break;
        case Camera1Data::kSound:
            add({sensitivityCell_});
            updateSound();
            break;
        case Camera1Data::kRapidFire:
            add({rapidModeCell_});
            updateRapid();
            break;
        case Camera1Data::kDoubleExposure:
            updateDouble();
            break;
        case Camera1Data::kVideo:
            add({videoResolutionCell_});
            updateVideo();
            break;
        case Camera1Data::kAnaglyph3D:
            add({anaglyphColorCell_});
            update3d();
            break;
        case Camera1Data::kPrint:
            updateStandard();
            break;
        case Camera1Data::kFaces:
            add({facesSmileCell_, facesLookCell_, facesCountCell_, sensitivityCell_,
                 facesDelayCell_, facesRepeatCell_});
            updateFaces();
            break;
        default:
            break;
    }
}

void CameraSettingsController::updateModeData() {
    SegmentedTableViewCell* modeCell = getModeCell();
    const int mode = currentMode();
    if (!modeCell || !modeTitle(mode)) return;
    modeCell->setText(modeTitle(mode));
    if (modeCell->subLabel()) modeCell->subLabel()->setText(modeDescription(mode));
}

void CameraSettingsController::updateGeneralData() {
    updateModeData();
    const Camera1Data* r = record();
    if (!r) return;
    photoSizeCell_->segments().setSelectedSegmentIndex(r->fullSizePhoto() ? 0 : 1);
    fullScreenShutterCell_->checkbox().setOn(r->fullScreenShutter());
    digitalZoomCell_->checkbox().setOn(r->digitalZoom());
    gridCell_->checkbox().setOn(r->grid());
    timerBeepCell_->checkbox().setOn(r->timerBeep());
    vibrateAlertCell_->checkbox().setOn(r->vibrateAlert());
    soundCuesCell_->checkbox().setOn(r->soundCues());
    mirrorFrontPhotosCell_->checkbox().setOn(r->mirrorFrontPhotos());
    autoSaveCell_->checkbox().setOn(r->autoSave());
    timeStampCell_->checkbox().setOn(r->timeStamp());
    enhanceCell_->checkbox().setOn(r->enhance());
    if (r->modification() >= 0 && r->modification() <= 3)
        modificationCell_->segments().setSelectedSegmentIndex(r->modification());
    const int ratio = Camera1Data::effective().ratio();
    ratioCell_->setText("Photo Ratio: " + Camera1Data::getRatioText(ratio));
    ratioCell_->subLabel()->setText(Camera1Data::getRatioSubText(ratio));
    updateSizeOptions();
}

void CameraSettingsController::updateSizeOptions() {
    const int ratio = Camera1Data::effective().ratio();
    photoSizeCell_->segments().setTitle(0, sizeText(ratio, true));
    photoSizeCell_->segments().setTitle(1, sizeText(ratio, false));
}

std::string CameraSettingsController::sizeText(int ratio, bool fullSize) const {
    const auto a = static_cast<float>(Camera1Data::getAspectRatio(ratio));
    int base = 640;
    if (fullSize) base = system_->model() == "iPhone2,1" ? 2048 : 1600;
    int width = 0;
    int height = 0;
    if (static_cast<double>(a) > 4.0 / 3.0) {
        width = base;
        height = static_cast<int>(static_cast<float>(base) / a);
    } else {
        height = static_cast<int>(base * 3.0 * 0.25);
        width = static_cast<int>(static_cast<float>(height) * a);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%dx%d", width, height);
    return text;
}

// --- Filling the mode rows ---

void CameraSettingsController::updateStablizer() {
    const Camera1Data* r = record();
    if (!r) return;
    showValue(sensitivityCell_->segments(), kSensitivity, r->stablizer().sensitivity());
    autoShutterCell_->checkbox().setOn(r->stablizer().autoShutter());
    showValue(shutterDelayCell_->segments(), kShutterDelay, r->stablizer().shutterDelay());
    showValue(maxWaitCell_->segments(), kMaxWait, r->stablizer().maxWait());
}

void CameraSettingsController::updateTimer() {
    const Camera1Data* r = record();
    if (!r) return;
    showValue(timerCell_->segments(), kTimerDelay, r->timer().timerDelay());
    repeatCell_->checkbox().setOn(r->timer().repeat());
    showValue(timerIntervalCell_->segments(), kTimerInterval, r->timer().interval());
    showValue(timerCountCell_->segments(), kTimerCount, r->timer().count());
    updateActiveHours();
}

void CameraSettingsController::updateActiveHours() {
    const Camera1Data* r = record();
    if (!r) return;
    const ActiveHours hours = ActiveHours::of(r->timer());
    activeHoursCell_->setText("Active Hours: " + hours.text());
    activeHoursCell_->subLabel()->setText(hours.always() ? "Photos at any time of day"
                                                         : "No photos outside these hours");
}

void CameraSettingsController::updateToss() {
    if (const Camera1Data* r = record())
        showValue(sensitivityCell_->segments(), kSensitivity, r->toss().sensitivity());
}

void CameraSettingsController::updateMotion() {
    const Camera1Data* r = record();
    if (!r) return;
    showValue(sensitivityCell_->segments(), kSensitivity, r->motion().sensitivity());
    ignoreLightCell_->checkbox().setOn(r->motion().ignoreLight());
}

void CameraSettingsController::updateSound() {
    if (const Camera1Data* r = record())
        showValue(sensitivityCell_->segments(), kSensitivity, r->sound().sensitivity());
}

void CameraSettingsController::updateFaces() {
    const Camera1Data* r = record();
    if (!r) return;
    const bool look = r->faces().trigger() == Camera1FacesData::kLook;
    facesSmileCell_->checkbox().setOn(!look);
    facesLookCell_->checkbox().setOn(look);
    showValue(facesCountCell_->segments(), kFacesCount, r->faces().faces());
    showValue(sensitivityCell_->segments(), kSensitivity, r->faces().sensitivity());
    showValue(facesDelayCell_->segments(), kFacesDelay, r->faces().timerDelay());
    facesRepeatCell_->checkbox().setOn(r->faces().repeat());
}

void CameraSettingsController::updateRapid() {
    if (const Camera1Data* r = record())
        showValue(rapidModeCell_->segments(), kRapidMode, r->rapid().rapidMode());
}

void CameraSettingsController::updateVideo() {
    if (const Camera1Data* r = record())
        showValue(videoResolutionCell_->segments(), kVideoResolution, r->video().resolution());
}

void CameraSettingsController::update3d() {
    if (const Camera1Data* r = record())
        anaglyphColorCell_->segments().setSelectedSegmentIndex(r->anaglyph().color() ? 0 : 1);
}

// --- Actions: each writes its control's value into the record ---

void CameraSettingsController::fullScreenShutter() {
    if (Camera1Data* r = record())
        r->setFullScreenShutter(fullScreenShutterCell_->checkbox().isOn());
}
void CameraSettingsController::digitalZoom() {
    if (Camera1Data* r = record()) r->setDigitalZoom(digitalZoomCell_->checkbox().isOn());
}
void CameraSettingsController::grid() {
    if (Camera1Data* r = record()) r->setGrid(gridCell_->checkbox().isOn());
}
void CameraSettingsController::timerBeep() {
    if (Camera1Data* r = record()) r->setTimerBeep(timerBeepCell_->checkbox().isOn());
}
void CameraSettingsController::vibrateAlert() {
    if (Camera1Data* r = record()) r->setVibrateAlert(vibrateAlertCell_->checkbox().isOn());
}
void CameraSettingsController::soundCues() {
    if (Camera1Data* r = record()) r->setSoundCues(soundCuesCell_->checkbox().isOn());
}

void CameraSettingsController::mirrorFrontPhotos() {
    if (Camera1Data* r = record()) r->setMirrorFrontPhotos(mirrorFrontPhotosCell_->checkbox().isOn());
}
void CameraSettingsController::autoSave() {
    if (Camera1Data* r = record()) r->setAutoSave(autoSaveCell_->checkbox().isOn());
}
void CameraSettingsController::timeStamp() {
    if (Camera1Data* r = record()) r->setTimeStamp(timeStampCell_->checkbox().isOn());
}
void CameraSettingsController::enhance() {
    if (Camera1Data* r = record()) r->setEnhance(enhanceCell_->checkbox().isOn());
}

void CameraSettingsController::modification() {
    const int index = modificationCell_->segments().selectedSegmentIndex();
    if (Camera1Data* r = record(); r && index >= 0 && index <= 3) r->setModification(index);
}

void CameraSettingsController::photoSize() {
    if (Camera1Data* r = record())
        r->setFullSizePhoto(photoSizeCell_->segments().selectedSegmentIndex() == 0);
}

void CameraSettingsController::autoShutter() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kStabilizing)
        r->stablizer().setAutoShutter(autoShutterCell_->checkbox().isOn());
}

void CameraSettingsController::shutterDelay() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kStabilizing)
        r->stablizer().setShutterDelay(
            valueAt(kShutterDelay, shutterDelayCell_->segments().selectedSegmentIndex(), 1));
}

void CameraSettingsController::sensitivity() {
    Camera1Data* r = record();
    if (!r) return;
    const int value = valueAt(kSensitivity, sensitivityCell_->segments().selectedSegmentIndex(), 0);
    switch (r->mode()) {
        case Camera1Data::kStabilizing:
            r->stablizer().setSensitivity(value);
            break;
        case Camera1Data::kMoving:
            r->toss().setSensitivity(value);
            break;
        case Camera1Data::kMotion:
            r->motion().setSensitivity(value);
            break;
        case Camera1Data::kSound:
            r->sound().setSensitivity(value);
            break;
        case Camera1Data::kFaces:
            r->faces().setSensitivity(value);
            break;
        default:
            break;
    }
}

void CameraSettingsController::timer() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kTimer)
        r->timer().setTimerDelay(
            valueAt(kTimerDelay, timerCell_->segments().selectedSegmentIndex(), 30));
}

void CameraSettingsController::repeat() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kTimer)
        r->timer().setRepeat(repeatCell_->checkbox().isOn());
}

void CameraSettingsController::facesSmile() { facesTrigger(facesSmileCell_->checkbox().isOn()); }
void CameraSettingsController::facesLook() { facesTrigger(!facesLookCell_->checkbox().isOn()); }

void CameraSettingsController::facesTrigger(bool smile) {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kFaces)
        r->faces().setTrigger(smile ? Camera1FacesData::kSmile : Camera1FacesData::kLook);
    updateFaces();  // the other row follows
}

void CameraSettingsController::facesCount() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kFaces)
        r->faces().setFaces(valueAt(kFacesCount, facesCountCell_->segments().selectedSegmentIndex(), 1));
}

void CameraSettingsController::facesDelay() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kFaces)
        r->faces().setTimerDelay(
            valueAt(kFacesDelay, facesDelayCell_->segments().selectedSegmentIndex(), 5));
}

void CameraSettingsController::facesRepeat() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kFaces)
        r->faces().setRepeat(facesRepeatCell_->checkbox().isOn());
}

// An index outside a row's table keeps the stored value's default (off, until pressed, for ever).
void CameraSettingsController::timerInterval() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kTimer)
        r->timer().setInterval(
            valueAt(kTimerInterval, timerIntervalCell_->segments().selectedSegmentIndex(), 0));
}

void CameraSettingsController::timerCount() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kTimer)
        r->timer().setCount(
            valueAt(kTimerCount, timerCountCell_->segments().selectedSegmentIndex(), 0));
}

void CameraSettingsController::maxWait() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kStabilizing)
        r->stablizer().setMaxWait(
            valueAt(kMaxWait, maxWaitCell_->segments().selectedSegmentIndex(), 0));
}

void CameraSettingsController::ignoreLight() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kMotion)
        r->motion().setIgnoreLight(ignoreLightCell_->checkbox().isOn());
}

void CameraSettingsController::catchTheMoment() {
    if (Camera1Data* r = record())
        r->stillChoice().setCatchTheMoment(r->mode(), catchTheMomentCell_->checkbox().isOn());
}

void CameraSettingsController::pickTheSharpest() {
    if (Camera1Data* r = record())
        r->stillChoice().setPickTheSharpest(r->mode(), pickTheSharpestCell_->checkbox().isOn());
}

void CameraSettingsController::rapidMode() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kRapidFire)
        r->rapid().setRapidMode(
            valueAt(kRapidMode, rapidModeCell_->segments().selectedSegmentIndex(), 25));
}

void CameraSettingsController::videoResolution() {
    if (Camera1Data* r = record(); r && r->mode() == Camera1Data::kVideo)
        r->video().setResolution(valueAt(
            kVideoResolution, videoResolutionCell_->segments().selectedSegmentIndex(), 320));
}

void CameraSettingsController::anaglyphColor() {
    if (Camera1Data* r = record())
        r->anaglyph().setColor(anaglyphColorCell_->segments().selectedSegmentIndex() == 0);
}

void CameraSettingsController::done() {
    NotificationCenter::defaultCenter().postNotificationName(kFlipNotification, this);
}

// --- The table ---

int CameraSettingsController::numberOfSections(TableView&) { return aboutCell_ ? 3 : 2; }

int CameraSettingsController::numberOfRows(TableView&, int section) {
    switch (section) {
        case 0:
            return static_cast<int>(modeCellList_.size());
        case 1:
            return static_cast<int>(generalCellList_.size());
        case 2:
            return aboutCell_ ? 1 : 0;
        default:
            return 0;
    }
}

std::shared_ptr<TableViewCell> CameraSettingsController::cellForRow(TableView&, IndexPath path) {
    const auto row = static_cast<std::size_t>(path.row);
    if (path.section == 0 && row < modeCellList_.size()) return modeCellList_[row];
    if (path.section == 1 && row < generalCellList_.size()) return generalCellList_[row];
    if (path.section == 2 && row == 0) return aboutCell_;
    return nullptr;
}

float CameraSettingsController::getCellHeight(const TableViewCell& cell) {
    return &cell == modificationCell_.get() ? 72.0f : 62.0f;
}

float CameraSettingsController::heightForRow(TableView& table, IndexPath path) {
    const auto cell = cellForRow(table, path);
    return cell ? getCellHeight(*cell) : 44.0f;
}

void CameraSettingsController::pushController(const std::shared_ptr<ViewController>& controller) {
    if (NavigationController* navigation = navigationController())
        navigation->pushViewController(controller, true);
}

void CameraSettingsController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    const auto cell = cellForRow(table, path);
    if (!cell) return;
    if (cell == aboutCell_) {
        if (!aboutController_) aboutController_ = aboutFactory_();
        pushController(aboutController_);
    } else if (cell == ratioCell_) {
        if (!ratioController_) ratioController_ = std::make_shared<RatioController>();
        pushController(ratioController_);
    } else if (cell == activeHoursCell_) {
        if (!activeHoursController_)
            activeHoursController_ = std::make_shared<ActiveHoursController>();
        pushController(activeHoursController_);
    } else if (cell == modificationCell_) {
        // The default effect's full list, from the effect row.
        if (!effectController_) effectController_ = std::make_shared<EffectController>();
        pushController(effectController_);
    }
}

}  // namespace kestrel
