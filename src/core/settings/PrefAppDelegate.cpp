#include "core/settings/PrefAppDelegate.h"

#include "core/settings/PrefObject.h"

namespace kestrel {

PrefAppDelegate::~PrefAppDelegate() = default;

void PrefAppDelegate::setData(PrefObject* data) {
    data_ = data;
    if (saveTimer_) observeChanges();
}

void PrefAppDelegate::applicationWillResignActive() {
    if (!data_) return;
    if (saveTimer_) saveTimer_->stop();  // this save writes the pending change too
    // A save that did not reach the disk does not count: termination tries again.
    savedFlag_ = data_->save();
}

void PrefAppDelegate::applicationWillTerminate() {
    if (!data_) return;
    const bool pending = changePending();
    if (saveTimer_) saveTimer_->stop();
    if (!savedFlag_ || pending) data_->save();
}

void PrefAppDelegate::applicationDidBecomeActive() { savedFlag_ = false; }

void PrefAppDelegate::saveOnChange(RunLoop& loop) {
    saveTimer_ = std::make_unique<Timer>(loop);
    observeChanges();
}

void PrefAppDelegate::observeChanges() {
    if (!data_) return;
    std::weak_ptr<PrefAppDelegate*> self = self_;
    data_->setChangeObserver([self] {
        const auto delegate = self.lock();
        if (!delegate) return;
        PrefAppDelegate& d = **delegate;
        if (d.saveTimer_ && !d.saveTimer_->isRunning())
            d.saveTimer_->start(RunLoop::Duration(0), [&d] { d.saveChanges(); });
    });
}

void PrefAppDelegate::saveChanges() {
    // The flag stays as it was: it is about the save on leaving the active state.
    if (data_) data_->save();
}

}  // namespace kestrel
