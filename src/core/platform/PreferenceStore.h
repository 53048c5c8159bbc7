#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel {

// The per-user preference store: a flat dictionary of keys to booleans,
// 32-bit signed integers and data blobs. A missing key reads as NO, 0 or
// none. Changes live in memory until synchronize() writes them out.
//
// Threads: implementations guard their own state; the settings record uses
// the store from the main thread.
class PreferenceStore {
public:
    using Data = std::vector<std::uint8_t>;

    virtual ~PreferenceStore() = default;

    // An integer reads as YES when it is not 0.
    virtual bool boolForKey(std::string_view key) const = 0;
    // A boolean reads as 1 or 0; anything that is not a 32-bit integer as 0.
    virtual std::int32_t integerForKey(std::string_view key) const = 0;
    // The data blob under the key, or none.
    virtual std::optional<Data> objectForKey(std::string_view key) const = 0;

    virtual void setBool(bool value, std::string_view key) = 0;
    virtual void setInteger(std::int32_t value, std::string_view key) = 0;
    virtual void setObject(const Data& value, std::string_view key) = 0;
    virtual void removeObjectForKey(std::string_view key) = 0;

    // Makes the stored state durable. When it answers YES, the store on disk
    // holds every change made so far, even across a crash right afterwards.
    virtual bool synchronize() = 0;
};

}  // namespace kestrel
