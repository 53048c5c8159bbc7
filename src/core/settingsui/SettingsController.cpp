#include "core/settingsui/SettingsController.h"

#include "core/modes/ModeOffer.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

SettingsController::SettingsController(const SystemUtils& system, AboutFactory about)
    : CameraSettingsController(system, std::move(about)),
      modeCell_(std::make_shared<SegmentedTableViewCell>(Rect{0, 0, 300, 160})) {
    modeCell_->setLabel(std::make_shared<Label>(Rect{10, 4, 280, 24}));
    modeCell_->setSubLabel(std::make_shared<Label>(Rect{10, 28, 280, 36}));
    modeCell_->segments().setHidden(true);  // the buttons choose the mode here
    modeCell_->setSelectionStyle(TableViewCell::SelectionStyle::kNone);
    for (std::size_t i = 0; i < kModeButtons.size(); ++i) {
        const ModeButton& spec = kModeButtons[i];
        const float x = 8.0f + 58.0f * static_cast<float>(i % 5);
        const float y = i < 5 ? 68.0f : 114.0f;
        auto button = std::make_shared<Button>(Rect{x, y, 50, 42});
        const std::string face = spec.image;
        button->setImage(face + ".png", Button::kNormal);
        button->setImage(face + "_on.png", Button::kSelected);
        button->setName(CameraSettingsController::modeTitle(spec.mode));
        button->setAction([this, mode = spec.mode](Button&) { chooseMode(mode); });
        button->setAutoresizing(View::Autoresizing::kProportional);  // spread across the row
        modeCell_->contentView().addSubview(button);
        buttons_[i] = std::move(button);
    }
}

Button* SettingsController::modeButton(int mode) const {
    for (std::size_t i = 0; i < kModeButtons.size(); ++i)
        if (kModeButtons[i].mode == mode) return buttons_[i].get();
    return nullptr;
}

float SettingsController::getCellHeight(const TableViewCell& cell) {
    return &cell == modeCell_.get() ? 160.0f : CameraSettingsController::getCellHeight(cell);
}

void SettingsController::updateModeData() {
    CameraSettingsController::updateModeData();
    const Camera1Data* record = Camera1Data::data();
    const int current = record ? record->mode() : -1;
    for (std::size_t i = 0; i < kModeButtons.size(); ++i) {
        buttons_[i]->setSelected(kModeButtons[i].mode == current);
        buttons_[i]->setHidden(!ModeOffer::offered(kModeButtons[i].mode));
    }
}

void SettingsController::chooseMode(int mode) {
    Camera1Data* record = Camera1Data::data();
    if (!record || (mode == Camera1Data::kFaces && !ModeOffer::offered(mode))) return;
    record->setMode(mode);
    updateModeData();
    refreshCellLists();
    tableView().reloadData();
}

void SettingsController::mode(int segment) {
    Camera1Data* record = Camera1Data::data();
    if (!record) return;
    if (segment == 0)
        record->setMode(Camera1Data::kStandard);
    else if (segment == 1)
        record->setMode(Camera1Data::kStabilizing);
    else if (segment >= 2 && segment <= 8)
        record->setMode(segment);
    else if (segment == 9 && ModeOffer::offered(Camera1Data::kFaces))
        record->setMode(Camera1Data::kFaces);
}

}  // namespace kestrel
