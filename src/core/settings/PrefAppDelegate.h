#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <memory>

namespace kestrel {

class PrefObject;

// Base of the application delegate: saves the settings object when the
// application stops being active, and on termination unless that save already
// happened since the application was last active (or a change is still
// waiting to be written). Main thread.
//
// With saveOnChange(), a change of any setting is written too, without
// waiting for the application to leave: the changes of one turn of the run
// loop are gathered into one write on the next turn, so that a settings
// screen that sets five values writes the file once, and a quit that never
// reaches the delegate (a crash, a power cut) loses at most that one turn.
class PrefAppDelegate {
public:
    PrefAppDelegate() = default;
    virtual ~PrefAppDelegate();
    PrefAppDelegate(const PrefAppDelegate&) = delete;
    PrefAppDelegate& operator=(const PrefAppDelegate&) = delete;

    virtual void applicationWillResignActive();
    virtual void applicationWillTerminate();
    virtual void applicationDidBecomeActive();

    // Borrowed: the object graph owns the settings object.
    PrefObject* data() const { return data_; }
    void setData(PrefObject* data);
    bool savedFlag() const { return savedFlag_; }
    void setSavedFlag(bool saved) { savedFlag_ = saved; }

    // From now on every change of the settings object is saved on the next
    // turn of `loop` (which must outlive the delegate).
    void saveOnChange(RunLoop& loop);
    // A change is waiting for its write.
    bool changePending() const { return saveTimer_ && saveTimer_->isRunning(); }

private:
    void observeChanges();
    void saveChanges();

    PrefObject* data_ = nullptr;
    bool savedFlag_ = false;
    std::unique_ptr<Timer> saveTimer_;
    // The observer installed on the settings object holds a weak reference to
    // this, so that a record outliving the delegate calls nothing.
    std::shared_ptr<PrefAppDelegate*> self_ = std::make_shared<PrefAppDelegate*>(this);
};

}  // namespace kestrel
