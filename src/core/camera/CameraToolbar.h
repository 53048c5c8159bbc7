#pragma once

#include "core/ui/Button.h"
#include "core/ui/ScreenLayout.h"
#include "core/ui/View.h"

#include <memory>

namespace kestrel {

// The camera's toolbar, two pages long: the preview page (album, shutter,
// settings; cancel in the album's place during a second exposure) and the
// review page (retake, use); one page shows. In a row along the bottom (640
// points wide on the phone screen) the review page is the right half and
// the bar slides sideways; in a column on the right of a landscape screen
// the review page is the lower half and the bar slides up and down.
class CameraToolbar : public View {
public:
    static constexpr float kTop = 427;
    static constexpr float kHeight = 53;

    CameraToolbar();

    // Places the bar and its buttons for `layout`, on the page it shows.
    void layOut(const ScreenLayout& layout);
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
    bool reviewPageShown() const { return reviewPage_; }

private:
    void scrollTo(bool reviewPage, bool animated);

    std::shared_ptr<Button> album_;
    std::shared_ptr<ImageButton> shutter_;
    std::shared_ptr<Button> settings_;
    std::shared_ptr<Button> retake_;
    std::shared_ptr<Button> use_;
    std::shared_ptr<Button> cancel_;
    std::shared_ptr<Button> close_;
    ScreenLayout layout_;
    bool reviewPage_ = false;
};

}  // namespace kestrel
