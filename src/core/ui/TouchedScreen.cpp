#include "core/ui/TouchedScreen.h"

namespace kestrel {

bool TouchedScreen::began(const void* screen, int tapCount) {
    if (tapCount <= 1) firstTapScreen_ = screen;
    const bool goes = screen != nullptr && screen == firstTapScreen_;
    touching_ = goes ? screen : nullptr;
    return goes;
}

bool TouchedScreen::continuesOn(const void* screen) {
    if (screen != touching_) touching_ = nullptr;
    return touching_ != nullptr;
}

}  // namespace kestrel
