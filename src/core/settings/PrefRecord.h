#pragma once

#include "core/platform/PreferenceStore.h"

#include <cstdint>

namespace kestrel {

// Field visitors that write a record's fields into the store or read them
// back (a key missing from the store reads as NO or 0).
struct PrefWriter {
    PreferenceStore& store;
    void operator()(const char* key, const bool& value) const { store.setBool(value, key); }
    void operator()(const char* key, const std::int32_t& value) const {
        store.setInteger(value, key);
    }
};

struct PrefReader {
    PreferenceStore& store;
    void operator()(const char* key, bool& value) const { value = store.boolForKey(key); }
    void operator()(const char* key, std::int32_t& value) const {
        value = store.integerForKey(key);
    }
};

// Saving and loading for a record whose stored fields are booleans and 32-bit
// integers. The record lists its fields once, in its store order:
//
//     template <class Self, class Visit>
//     static void visitFields(Self& self, Visit&& visit) {
//         visit("timer delay", self.timerDelay_);
//         visit("timer repeat", self.repeat_);
//     }
//
// and save() writes them in that order, load() reads every one of them.
template <class Record>
class PrefRecord {
public:
    void save(PreferenceStore& store) const {
        Record::visitFields(static_cast<const Record&>(*this), PrefWriter{store});
    }
    void load(PreferenceStore& store) {
        Record::visitFields(static_cast<Record&>(*this), PrefReader{store});
    }
};

}  // namespace kestrel
