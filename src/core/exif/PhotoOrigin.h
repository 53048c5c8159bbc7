#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// What a photo records of its own taking: why it was taken (the shutter, or
// what a mode sensed, with the figure that decided) and when. The reason is
// written as the EXIF UserComment "Kestrel: <reason>", the moment as
// DateTimeOriginal with its milliseconds. Fixed when the picture is asked
// for and taken, then carried with it to the saver; a value, any thread.
struct PhotoOrigin {
    static constexpr std::string_view kCommentPrefix = "Kestrel: ";
    // The longest reason written: a UserComment is for a line, not a file.
    static constexpr std::size_t kMaxReason = 200;

    // "shutter", "timer 10 s", ...; empty: nothing to record (a picture
    // Kestrel did not take, such as a file saved from the command line).
    std::string reason;
    // When the camera took the picture; none: not known.
    std::optional<std::chrono::system_clock::time_point> taken;

    bool empty() const { return reason.empty() && !taken; }
    // "Kestrel: " and the reason, made one line of printable ASCII and no
    // longer than kMaxReason; empty without a reason.
    std::string comment() const;
    // The reason a comment Kestrel wrote gives, or none for any other
    // comment (another camera's, an empty one).
    static std::optional<std::string> reasonOf(std::string_view comment);
};

}  // namespace kestrel
