#pragma once

namespace kestrel {

// The live view's zoom from a pinch: the zoom when the pinch began times
// the pinch's scale, held within 1–4×. Pinched past either end the zoom
// stays there, and turning back takes effect at once: the rule starts over
// from the end reached, so the fingers never have to come back to where
// the end was passed before anything happens.
class PinchZoom {
public:
    static constexpr double kMinimum = 1.0;
    static constexpr double kMaximum = 4.0;

    void begin(double zoom);
    // The zoom for the pinch's scale now.
    double zoomFor(double scale);

private:
    double anchorZoom_ = 1.0;
    double anchorScale_ = 1.0;
};

}  // namespace kestrel
