#pragma once

#include "core/ui/Button.h"
#include "core/ui/View.h"

#include <memory>

namespace kestrel {

// The bottom bar, 640 points wide: the preview page (album, shutter,
// settings; cancel in the album's place during a second exposure) is the
// left half, the review page (retake, use) the right half; one half shows.
class CameraToolbar : public View {
public:
    static constexpr float kTop = 427;
    static constexpr float kHeight = 53;

    CameraToolbar();

    void scrollToPreview(bool animated);
    void scrollToReview(bool animated);
    void ready();
    void readyForPhoto2();

    Button& albumButton() { return *album_; }
    ImageButton& shutterButton() { return *shutter_; }
    Button& settingsButton() { return *settings_; }
    Button& retakeButton() { return *retake_; }
    Button& useButton() { return *use_; }
    Button& cancelButton() { return *cancel_; }
    Button& closeButton() { return *close_; }

private:
    void scrollTo(float x, bool animated);

    std::shared_ptr<Button> album_;
    std::shared_ptr<ImageButton> shutter_;
    std::shared_ptr<Button> settings_;
    std::shared_ptr<Button> retake_;
    std::shared_ptr<Button> use_;
    std::shared_ptr<Button> cancel_;
    std::shared_ptr<Button> close_;
};

}  // namespace kestrel
