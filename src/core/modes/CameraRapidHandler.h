#pragma once

#include "core/modes/CameraHandler.h"

#include <vector>

namespace kestrel {

// Mode 6: one press takes a series of 16 or 25 pictures in quick succession
// and delivers them as one contact sheet on a 1600 × 1200 canvas (1200 ×
// 1600 when the first picture is upright).
class CameraRapidHandler : public CameraHandler {
public:
    static constexpr int kMaxSeries = 25;
    static constexpr int kDefaultSeries = 16;

    CameraRapidHandler() = default;
    // A series left unfinished (the mode changed) takes its counter with it.
    ~CameraRapidHandler() override;
    CameraRapidHandler(const CameraRapidHandler&) = delete;
    CameraRapidHandler& operator=(const CameraRapidHandler&) = delete;

    // The stored series length, bounded: 16 and 25 as they are, nothing
    // longer than the 25 cells a sheet holds, and 16 for none or less.
    int seriesLength() const;
    int columns() const;
    Size cellSize() const;
    Size canvasSize() const;

    void photo() override;
    // A cell of the sheet: the picture reduced to the cell's size (the first
    // picture's shape decides whether the sheet stands upright).
    Recipe firstRecipe(float zoom) override;
    void keepFirstPhoto(const Image& cell) override;
    // The last cell, then the sheet of every cell kept so far; the series
    // starts anew.
    Recipe finalRecipe(float zoom) override;
    std::string reason() const override { return "rapid fire, contact sheet of " + std::to_string(seriesLength()); }
    std::optional<std::string> getModeImage() const override { return "Mode_Rapid_on.png"; }

    HeldWork heldWork() const override {
        return !images_.empty() || autoStart() ? HeldWork::kSeries : HeldWork::kNone;
    }

    const std::vector<Image>& images() const { return images_; }
    bool vertical() const { return vertical_; }

private:
    // A cell's size on a sheet that lies on its side.
    Size landscapeCell() const;

    std::vector<Image> images_;
    bool vertical_ = false;
};

}  // namespace kestrel
