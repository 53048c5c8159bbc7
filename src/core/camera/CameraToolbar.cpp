#include "core/camera/CameraToolbar.h"

#include "core/ui/AnimationBlock.h"

namespace kestrel {

CameraToolbar::CameraToolbar()
    : View(Rect{0, kTop, 640, kHeight}),
      album_(std::make_shared<Button>(Rect{10, 4, 60, 45})),
      shutter_(std::make_shared<ImageButton>(Rect{110, 4, 100, 45})),
      settings_(std::make_shared<Button>(Rect{250, 4, 60, 45})),
      retake_(std::make_shared<Button>(Rect{330, 4, 120, 45})),
      use_(std::make_shared<Button>(Rect{510, 4, 120, 45})),
      cancel_(std::make_shared<Button>(Rect{10, 4, 60, 45})),
      close_(std::make_shared<Button>()) {
    album_->setImage("album.png", Button::kNormal);
    shutter_->setImage("camera.png");
    settings_->setImage("settings.png", Button::kNormal);
    retake_->setImage("retake.png", Button::kNormal);
    use_->setImage("use.png", Button::kNormal);
    cancel_->setImage("cancel.png", Button::kNormal);
    for (const std::shared_ptr<View>& button : {std::shared_ptr<View>(album_), std::shared_ptr<View>(shutter_),
                                                std::shared_ptr<View>(settings_), std::shared_ptr<View>(retake_),
                                                std::shared_ptr<View>(use_)})
        addSubview(button);
    cancel_->setHidden(true);
}

void CameraToolbar::layOut(const ScreenLayout& layout) {
    layout_ = layout;
    using B = ScreenLayout::ToolbarButton;
    album_->setFrame(layout.toolbarButton(B::kAlbum));
    shutter_->setFrame(layout.toolbarButton(B::kShutter));
    settings_->setFrame(layout.toolbarButton(B::kSettings));
    retake_->setFrame(layout.toolbarButton(B::kRetake));
    use_->setFrame(layout.toolbarButton(B::kUse));
    cancel_->setFrame(album_->frame());
    setFrame(layout.toolbarFrame(reviewPage_));
}

void CameraToolbar::scrollTo(bool reviewPage, bool animated) {
    reviewPage_ = reviewPage;
    AnimationBlock* block = AnimationBlock::animation();
    const bool started = animated && block && block->start(this, true, 1);
    setFrame(layout_.toolbarFrame(reviewPage));
    if (block) block->end(this, started);
}

void CameraToolbar::scrollToPreview(bool animated) { scrollTo(false, animated); }
void CameraToolbar::scrollToReview(bool animated) { scrollTo(true, animated); }

void CameraToolbar::ready() {
    cancel_->setHidden(true);
    album_->setHidden(false);
    settings_->setHidden(false);
}

void CameraToolbar::readyForPhoto2() {
    cancel_->setFrame(album_->frame());
    if (cancel_->superview() != this) {
        addSubview(cancel_);
        bringSubviewToFront(cancel_.get());
    }
    cancel_->setHidden(false);
    album_->setHidden(true);
    settings_->setHidden(true);
}

}  // namespace kestrel
