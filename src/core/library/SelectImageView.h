#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"
#include "core/ui/ImageView.h"

#include <memory>
#include <string>

namespace kestrel {

// One tile of the album grid: a thumbnail under a selection mark
// ("select_none.png", "select_single.png" when selected by a tap,
// "select_multi.png" when selected in multi-select use).
class SelectImageView : public ImageView {
public:
    static constexpr double kMomentarySeconds = 0.5;

    SelectImageView(Rect frame, RunLoop& loop);

    bool selected() const { return selected_; }
    void setSelected(bool selected);
    bool momentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    // Selects for half a second.
    void momentarySelect();
    void deselect();
    ImageView& selectView() { return *selectView_; }
    // The photo whose thumbnail the tile shows (or is waiting for).
    const std::string& shownFile() const { return shownFile_; }
    void setShownFile(std::string file) { shownFile_ = std::move(file); }

private:
    std::shared_ptr<ImageView> selectView_;
    Timer deselectTimer_;
    bool selected_ = false;
    bool momentary_ = true;
    std::string shownFile_;
};

}  // namespace kestrel
