#pragma once

namespace kestrel {

// A row of a table: its section and its place in the section.
struct IndexPath {
    int section = 0;
    int row = 0;
    bool operator==(const IndexPath&) const = default;
};

}  // namespace kestrel
