#pragma once

#include "core/settingsui/CameraSettingsController.h"
#include "core/ui/Button.h"

#include <array>
#include <memory>

namespace kestrel {

// The settings screen with its mode cell: one button per shooting mode and
// the mode's title and description. A mode button switches the record's
// mode and rebuilds the rows at once.
class SettingsController : public CameraSettingsController {
public:
    struct ModeButton {
        int mode;
        const char* image;  // the button's face; "_on" marks the selected one
    };
    // Standard, stabilizing, timer, toss, motion, rapid, double, 3D, sound,
    // faces (shown only where the face finder is installed).
    static constexpr std::array<ModeButton, 10> kModeButtons{{{1, "Mode_Auto"},
                                                             {0, "Mode_Stable"},
                                                             {2, "Mode_Timer"},
                                                             {3, "Mode_Toss"},
                                                             {4, "Mode_Motion"},
                                                             {6, "Mode_Rapid"},
                                                             {7, "Mode_Double"},
                                                             {9, "Mode_3D"},
                                                             {5, "Mode_Sound"},
                                                             {11, "Mode_Faces"}}};

    SettingsController(const SystemUtils& system, AboutFactory about);

    SegmentedTableViewCell* getModeCell() override { return modeCell_.get(); }
    float getCellHeight(const TableViewCell& cell) override;
    void updateModeData() override;
    void mode(int segment) override;
    // A mode button's action.
    void chooseMode(int mode);
    // The button of a mode; none for a mode without one.
    Button* modeButton(int mode) const;

protected:
    std::shared_ptr<TableViewCell> modeCellPointer() override { return modeCell_; }

private:
    std::shared_ptr<SegmentedTableViewCell> modeCell_;
    std::array<std::shared_ptr<Button>, kModeButtons.size()> buttons_;
};

}  // namespace kestrel
