#include "core/platform/NotificationCenter.h"

#include <vector>

namespace kestrel {

NotificationCenter::ObserverId NotificationCenter::addObserver(std::string name, Handler handler,
                                                               const void* sender) {
    std::lock_guard lock(mutex_);
    const ObserverId id = nextId_++;
    observers_.emplace(id, Observer{std::move(name), sender,
                                    std::make_shared<Handler>(std::move(handler))});
    return id;
}

void NotificationCenter::removeObserver(ObserverId observer) {
    std::lock_guard lock(mutex_);
    observers_.erase(observer);
}

void NotificationCenter::postNotificationName(std::string_view name, const void* sender) {
    std::vector<ObserverId> matching;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, observer] : observers_)
            if (observer.name == name && (observer.sender == nullptr || observer.sender == sender))
                matching.push_back(id);
    }
    const Notification notification{std::string(name), sender};
    for (ObserverId id : matching) {
        std::shared_ptr<Handler> handler;
        {
            std::lock_guard lock(mutex_);
            auto it = observers_.find(id);
            if (it == observers_.end()) continue;  // removed by an earlier observer
            handler = it->second.handler;
        }
        (*handler)(notification);
    }
}

std::size_t NotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return observers_.size();
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

}  // namespace kestrel
