#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace kestrel {

// A posted announcement: its name and who posted it (compared by address
// only, never dereferenced by the centre).
struct Notification {
    std::string name;
    const void* sender = nullptr;
};

// Loose announcements between objects that do not know each other
// ("Change Orientation", "Flip", ...). Observers are called synchronously, on
// the posting thread, in the order they started observing. An observer may
// stop observing (itself or another) from inside a callback; one removed
// during a post is not called afterwards.
class NotificationCenter {
public:
    using ObserverId = std::uint64_t;  // 0 is never a valid observer
    using Handler = std::function<void(const Notification&)>;

    // Observes `name`; with a sender, only what that sender posts.
    ObserverId addObserver(std::string name, Handler handler, const void* sender = nullptr);
    void removeObserver(ObserverId observer);
    void postNotificationName(std::string_view name, const void* sender = nullptr);

    std::size_t observerCount() const;

    // The process-wide centre.
    static NotificationCenter& defaultCenter();

private:
    struct Observer {
        std::string name;
        const void* sender = nullptr;
        std::shared_ptr<Handler> handler;
    };

    mutable std::mutex mutex_;  // guards observers_ and nextId_; not held during calls
    std::map<ObserverId, Observer> observers_;
    ObserverId nextId_ = 1;
};

}  // namespace kestrel
