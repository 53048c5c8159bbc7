#pragma once

#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/View.h"

#include <memory>

namespace kestrel {

// The zoom read-out: the factor as text ("2.5X") over a level bar that is
// empty at 1× and full at 4×. Draws nothing itself.
class CameraZoomView : public View {
public:
    CameraZoomView();

    void setZoom(float factor);
    Label& label() { return *label_; }
    IndicatorView& indicator() { return *indicator_; }

protected:
    // A read-out: touches go through it to the live view below.
    bool takesTouchesByDefault() const override { return false; }

private:
    std::shared_ptr<Label> label_;
    std::shared_ptr<IndicatorView> indicator_;
};

}  // namespace kestrel
