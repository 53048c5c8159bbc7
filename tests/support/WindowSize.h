#pragma once

#include <ostream>
#include <string>

namespace kestrel::test {

// A window shape the window tests run in.
struct WindowSize {
    int width;
    int height;
};

// "320x480": the shape's name in test names and messages.
inline std::string sizeName(const WindowSize& size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}
inline void PrintTo(const WindowSize& size, std::ostream* out) { *out << sizeName(size); }

}  // namespace kestrel::test
