#pragma once

#include "core/imaging/Image.h"
#include "core/platform/PreferenceStore.h"

#include <string_view>

namespace kestrel {

// Base of a settings object that loads itself from the preference store when
// it is created and writes itself back on request.
//
// A subclass overrides the three hooks and calls init() as the last step of
// its own constructor (a base constructor cannot reach the subclass's hooks).
// The first object to finish init() becomes the process-wide single object
// until it is destroyed. Main thread.
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

    bool persisted() const { return persisted_; }
    PreferenceStore& store() const { return *store_; }

protected:
    void init();

    virtual void load(PreferenceStore& store) { (void)store; }
    virtual void save(PreferenceStore& store) const { (void)store; }
    virtual void initialize() {}

private:
    PreferenceStore* store_;
    bool persisted_ = false;
};

}  // namespace kestrel
