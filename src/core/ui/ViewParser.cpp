#include "core/ui/ViewParser.h"

namespace kestrel {

int ViewParser::parseView(View& view) { return parseView(view, nullptr, 1); }

int ViewParser::parseView(View& view, View* superview, int level) {
    (void)superview;
    int visited = 1;
    for (const auto& child : view.subviews())
        visited += parseView(*child, &view, level + 1);
    return visited;
}

}  // namespace kestrel
