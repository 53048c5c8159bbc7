#pragma once

#include "core/ui/View.h"

namespace kestrel {

// A ten-segment green level bar for a level from 0 to 1 (zoom read-out,
// sensing level): whole tenths filled, the next segment at the fraction's
// alpha (drawn twice), all ten outlined.
class IndicatorView : public View {
public:
    using View::View;

    float level() const { return level_; }
    void setLevel(float level);
    Drawing draw() const override;

protected:
    // Touches go through to what lies below.
    bool takesTouchesByDefault() const override { return false; }

private:
    float level_ = 0;
};

}  // namespace kestrel
