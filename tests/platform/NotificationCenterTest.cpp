#include "core/platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

TEST(NotificationCenterTest, DeliversByNameAndSenderInObservingOrder) {
    NotificationCenter center;
    int device = 0;
    int other = 0;
    std::vector<std::string> log;
    const void* lastSender = nullptr;
    center.addObserver("Change Orientation", [&](const Notification& n) {
        EXPECT_EQ(n.name, "Change Orientation");
        lastSender = n.sender;
        log.push_back("any sender");
    });
    center.addObserver("Change Orientation", [&](const Notification&) { log.push_back("device"); },
                       &device);
    center.addObserver("Flip", [&](const Notification&) { log.push_back("flip"); });

    center.postNotificationName("Change Orientation", &device);
    EXPECT_EQ(log, (std::vector<std::string>{"any sender", "device"}));
    EXPECT_EQ(lastSender, &device);
    log.clear();
    center.postNotificationName("Change Orientation", &other);  // not the watched sender
    EXPECT_EQ(log, (std::vector<std::string>{"any sender"}));
    log.clear();
    center.postNotificationName("Nobody listens");
    EXPECT_TRUE(log.empty());
}

TEST(NotificationCenterTest, ObserversRemovedDuringAPostAreNotCalled) {
    NotificationCenter center;
    std::vector<std::string> log;
    NotificationCenter::ObserverId second = 0;
    NotificationCenter::ObserverId first = 0;
    first = center.addObserver("Focus", [&](const Notification&) {
        log.push_back("first");
        center.removeObserver(first);   // itself
        center.removeObserver(second);  // a later one
    });
    second = center.addObserver("Focus", [&](const Notification&) { log.push_back("second"); });
    center.addObserver("Focus", [&](const Notification&) { log.push_back("third"); });

    center.postNotificationName("Focus");
    center.postNotificationName("Focus");
    EXPECT_EQ(log, (std::vector<std::string>{"first", "third", "third"}));
    EXPECT_EQ(center.observerCount(), 1u);
}

}  // namespace
}  // namespace kestrel
