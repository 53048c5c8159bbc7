#pragma once

namespace kestrel {

class PrefObject;

// Base of the application delegate: saves the settings object when the
// application stops being active, and on termination unless that save already
// happened since the application was last active. Main thread.
class PrefAppDelegate {
public:
    virtual ~PrefAppDelegate() = default;

    virtual void applicationWillResignActive();
    virtual void applicationWillTerminate();
    virtual void applicationDidBecomeActive();

    // Borrowed: the object graph owns the settings object.
    PrefObject* data() const { return data_; }
    void setData(PrefObject* data) { data_ = data; }
    bool savedFlag() const { return savedFlag_; }
    void setSavedFlag(bool saved) { savedFlag_ = saved; }

private:
    PrefObject* data_ = nullptr;
    bool savedFlag_ = false;
};

}  // namespace kestrel
