#pragma once

#include "core/modes/CameraHandler.h"

namespace kestrel {

// Mode 7: the first picture is held and shown faintly over the live view;
// the second is laid over it at half opacity.
class CameraDlxHandler : public CameraHandler {
public:
    // Two exposures into one picture; any thread.
    using Merge = Image (*)(const Image& first, const Image& second);

    void photo() override;
    Recipe firstRecipe(float zoom) override;
    void keepFirstPhoto(const Image& processed) override;
    void ready() override;
    // The second exposure processed, then laid over the first held now.
    Recipe finalRecipe(float zoom) override;
    virtual Merge merge() const;
    void cancel() override;
    void reset() override;
    std::string reason() const override { return "double exposure of 2 pictures"; }
    std::optional<std::string> getModeImage() const override { return "Mode_Double_on.png"; }

    HeldWork heldWork() const override { return image1_ ? HeldWork::kFirstExposure : HeldWork::kNone; }

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
    Merge merge() const override;
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_3D.png"; }

private:
    static bool channels();
};

}  // namespace kestrel
