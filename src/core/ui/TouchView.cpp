#include "core/ui/TouchView.h"

namespace kestrel {

void TouchView::touchesEnded(int tapCount) {
    if (tapCount == 1) center_->postNotificationName(kSingleTap, this);
    if (tapCount == 2) center_->postNotificationName(kDoubleTap, this);
}

}  // namespace kestrel
