#pragma once

#include "core/platform/PreferenceStore.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace kestrel::test {

// An in-memory preference store that counts synchronize() calls and can be
// told to fail them, for tests of what is saved when.
class MemoryStore final : public PreferenceStore {
public:
    using Value = std::variant<bool, std::int32_t, Data>;

    bool boolForKey(std::string_view key) const override {
        auto it = values.find(std::string(key));
        if (it == values.end()) return false;
        if (auto b = std::get_if<bool>(&it->second)) return *b;
        if (auto i = std::get_if<std::int32_t>(&it->second)) return *i != 0;
        return false;
    }
    std::int32_t integerForKey(std::string_view key) const override {
        auto it = values.find(std::string(key));
        if (it == values.end()) return 0;
        if (auto b = std::get_if<bool>(&it->second)) return *b ? 1 : 0;
        if (auto i = std::get_if<std::int32_t>(&it->second)) return *i;
        return 0;
    }
    std::optional<Data> objectForKey(std::string_view key) const override {
        auto it = values.find(std::string(key));
        if (it == values.end()) return std::nullopt;
        if (auto d = std::get_if<Data>(&it->second)) return *d;
        return std::nullopt;
    }
    void setBool(bool value, std::string_view key) override {
        values[std::string(key)] = value;
        writes.push_back(std::string(key));
    }
    void setInteger(std::int32_t value, std::string_view key) override {
        values[std::string(key)] = value;
        writes.push_back(std::string(key));
    }
    void setObject(const Data& value, std::string_view key) override {
        values[std::string(key)] = value;
        writes.push_back(std::string(key));
    }
    void removeObjectForKey(std::string_view key) override { values.erase(std::string(key)); }
    bool synchronize() override {
        ++synchronizeCalls;
        return !failSynchronize;
    }

    std::map<std::string, Value> values;
    std::vector<std::string> writes;  // keys in the order they were set
    int synchronizeCalls = 0;
    bool failSynchronize = false;
};

}  // namespace kestrel::test
