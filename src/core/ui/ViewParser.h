#pragma once

#include "core/ui/View.h"

namespace kestrel {

// Walks a view tree, every sub-view with its parent and depth; a tool for
// inspecting trees, with no effect of its own.
class ViewParser {
public:
    // Visits `view` at level 1 and its sub-views below it; answers how many
    // views were visited.
    static int parseView(View& view);
    static int parseView(View& view, View* superview, int level);
};

}  // namespace kestrel
