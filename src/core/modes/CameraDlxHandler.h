#pragma once

#include "core/modes/CameraHandler.h"

namespace kestrel {

// Mode 7: the first picture is held and shown faintly over the live view;
// the second is laid over it at half opacity.
class CameraDlxHandler : public CameraHandler {
public:
    void photo() override;
    void firstPhoto(const Image& image, float zoom) override;
    void ready() override;
    Image processPhoto(const Image& image, float zoom) override;
    virtual Image mergeWith(const Image& image);
    void cancel() override;
    void reset() override;
    std::optional<std::string> getModeImage() const override { return "Mode_Double_on.png"; }

    const Image& image1() const { return image1_; }

private:
    Image image1_;
};

// Mode 9: two pictures of one scene from shifted positions, the first red
// and the second cyan, merged into a red/cyan anaglyph: tinted, or by
// channels when the 3D colour setting is on.
class Camera3dHandler : public CameraDlxHandler {
public:
    int modification() const override;
    Image mergeWith(const Image& image) override;
    std::optional<std::string> getModeImage() const override { return "Mode_3D.png"; }

private:
    static bool channels();
};

}  // namespace kestrel
