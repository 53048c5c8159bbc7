#pragma once

#include "core/platform/PreferenceStore.h"
#include "core/settings/PrefObject.h"

#include <cstdint>
#include <vector>

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
//
// A record that is part of a settings object (a sub-record of Camera1Data)
// is attached to it: its setters go through assign(), which tells the object
// when a value really changed, so that the change gets saved. Copying a
// record copies its values only: a copy is not attached, and a record
// assigned over stays attached to its own object.
template <class Record>
class PrefRecord {
public:
    PrefRecord() = default;
    PrefRecord(const PrefRecord&) noexcept {}
    PrefRecord& operator=(const PrefRecord&) noexcept { return *this; }

    void save(PreferenceStore& store) const {
        Record::visitFields(static_cast<const Record&>(*this), PrefWriter{store});
    }
    void load(PreferenceStore& store) {
        Record::visitFields(static_cast<Record&>(*this), PrefReader{store});
    }

    // The settings object told of changes; none for a free-standing record.
    void attach(PrefObject* owner) { owner_ = owner; }

    // Whether two records hold the same stored values.
    static bool sameValues(const Record& a, const Record& b) {
        return storedValues(a) == storedValues(b);
    }

protected:
    template <class T>
    void assign(T& field, T value) {
        if (field == value) return;
        field = value;
        if (owner_) owner_->didChange();
    }

private:
    static std::vector<std::int32_t> storedValues(const Record& record) {
        std::vector<std::int32_t> values;
        Record::visitFields(record, [&values](const char*, const auto& value) {
            values.push_back(static_cast<std::int32_t>(value));
        });
        return values;
    }

    PrefObject* owner_ = nullptr;
};

}  // namespace kestrel
