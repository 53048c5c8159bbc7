#pragma once

#include "core/base/Image.h"
#include "core/platform/PreferenceStore.h"

#include <functional>
#include <string_view>

namespace kestrel {

// Base of a settings object that loads itself from the preference store when
// it is created and writes itself back on request.
//
// A subclass overrides the three hooks and calls init() as the last step of
// its own constructor (a base constructor cannot reach the subclass's hooks).
// The first object to finish init() becomes the process-wide single object
// until it is destroyed.
//
// The setters of a subclass report every real change of a stored value
// through didChange() (load() and initialize() do not), and the change
// observer, when one is set, is told: the application delegate turns that
// into a save. Main thread.
class PrefObject {
public:
    static constexpr const char* kPersistedKey = "persisted";

    explicit PrefObject(PreferenceStore& store) : store_(&store) {}
    virtual ~PrefObject();
    PrefObject(const PrefObject&) = delete;
    PrefObject& operator=(const PrefObject&) = delete;

    static PrefObject* singleObject();

    // Reads "persisted"; then load(store) when it is YES, initialize() when not.
    void load();
    // Sets "persisted", writes the subclass's keys and synchronizes the store.
    // Answers whether the store reached the disk (the cause is logged).
    bool save();

    // Pictures kept in the store as data blobs: JPEG at quality 0.9, or PNG.
    // No image removes the key; a missing or unreadable blob reads as none.
    static void saveImage(const Image& image, PreferenceStore& store, std::string_view key);
    static void savePng(const Image& image, PreferenceStore& store, std::string_view key);
    static Image loadImageFrom(const PreferenceStore& store, std::string_view key);
    static Image loadPngFrom(const PreferenceStore& store, std::string_view key);

    // Told after a setter changed a stored value; empty: nobody is told.
    void setChangeObserver(std::function<void()> observer) { changeObserver_ = std::move(observer); }
    void didChange() {
        if (changeObserver_) changeObserver_();
    }

    bool persisted() const { return persisted_; }
    PreferenceStore& store() const { return *store_; }

protected:
    void init();

    virtual void load(PreferenceStore& store) { (void)store; }
    virtual void save(PreferenceStore& store) const { (void)store; }
    virtual void initialize() {}

    // A setter's body: stores the value and reports it when it differs.
    template <class T>
    void assign(T& field, T value) {
        if (field == value) return;
        field = value;
        didChange();
    }

private:
    PreferenceStore* store_;
    bool persisted_ = false;
    std::function<void()> changeObserver_;
};

}  // namespace kestrel
