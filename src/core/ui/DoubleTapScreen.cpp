#include "core/ui/DoubleTapScreen.h"

namespace kestrel {

bool DoubleTapScreen::accepts(const void* screen, int tapCount) {
    if (tapCount <= 1) {
        firstTapScreen_ = screen;
        return true;
    }
    return screen != nullptr && screen == firstTapScreen_;
}

}  // namespace kestrel
