#include "core/exif/PhotoOrigin.h"

namespace kestrel {
namespace {

// One line of printable ASCII: what a UserComment of character code ASCII
// may hold, and what a one-line reading of it (a dump, the viewer) can show.
std::string printable(std::string_view text, std::size_t limit) {
    std::string line;
    for (const char c : text) {
        if (line.size() >= limit) break;
        const auto byte = static_cast<unsigned char>(c);
        line.push_back(byte >= 0x20 && byte < 0x7f ? c : ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

std::string PhotoOrigin::comment() const {
    const std::string line = printable(reason, kMaxReason);
    if (line.empty()) return {};
    return std::string(kCommentPrefix) + line;
}

std::optional<std::string> PhotoOrigin::reasonOf(std::string_view comment) {
    if (!comment.starts_with(kCommentPrefix)) return std::nullopt;
    std::string line = printable(comment.substr(kCommentPrefix.size()), kMaxReason);
    if (line.empty()) return std::nullopt;
    return line;
}

}  // namespace kestrel
