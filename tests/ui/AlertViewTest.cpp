#include "core/ui/AlertView.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Return answers the default button, which is never the destructive one.
TEST(AlertViewTest, TheDefaultButtonIsNeverTheDestructiveOne) {
    const AlertView sheet(AlertView::Kind::kActionSheet, "Delete?", "", "Cancel", "Delete",
                          {"Share"});
    EXPECT_EQ(sheet.buttons(), (std::vector<std::string>{"Delete", "Share", "Cancel"}));
    EXPECT_EQ(sheet.defaultButtonIndex(), sheet.cancelButtonIndex());
    EXPECT_EQ(sheet.defaultButtonIndex(), 2);

    // Without a cancel button, the first button that destroys nothing.
    const AlertView noCancel(AlertView::Kind::kAlert, "", "", std::nullopt, "Erase", {"Keep"});
    EXPECT_EQ(noCancel.defaultButtonIndex(), 1);
    EXPECT_FALSE(noCancel.isDestructive(1));
    // Only a destructive button: no default at all, the user must choose it.
    const AlertView onlyDestructive(AlertView::Kind::kAlert, "", "", std::nullopt, "Erase");
    EXPECT_EQ(onlyDestructive.defaultButtonIndex(), -1);
    EXPECT_EQ(onlyDestructive.cancelButtonIndex(), -1);
}

}  // namespace
}  // namespace kestrel
