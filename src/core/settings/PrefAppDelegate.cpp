#include "core/settings/PrefAppDelegate.h"

#include "core/settings/PrefObject.h"

namespace kestrel {

void PrefAppDelegate::applicationWillResignActive() {
    if (!data_) return;
    // A save that did not reach the disk does not count: termination tries again.
    savedFlag_ = data_->save();
}

void PrefAppDelegate::applicationWillTerminate() {
    if (!savedFlag_ && data_) data_->save();
}

void PrefAppDelegate::applicationDidBecomeActive() { savedFlag_ = false; }

}  // namespace kestrel
