#include "core/ui/ViewController.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrel {
namespace {

// A screen opened twice in a row (two quick taps on a row, two photos'
// taps) is on the stack once: one back goes back to where it was opened.
TEST(NavigationControllerTest, AScreenAlreadyOnTheStackIsNotPushedAgain) {
    auto root = std::make_shared<ViewController>();
    NavigationController navigation(root);
    auto detail = std::make_shared<ViewController>();
    navigation.pushViewController(detail, true);
    navigation.pushViewController(detail, true);
    navigation.pushViewController(root, true);
    EXPECT_EQ(navigation.depth(), 2u);
    navigation.popViewController(true);
    EXPECT_EQ(navigation.depth(), 1u);
    EXPECT_EQ(&navigation.topViewController(), root.get());
    EXPECT_EQ(detail->navigationController(), nullptr);
    navigation.pushViewController(detail, true);  // opened again later, as before
    EXPECT_EQ(&navigation.topViewController(), detail.get());
    EXPECT_EQ(detail->navigationController(), &navigation);
}

}  // namespace
}  // namespace kestrel
