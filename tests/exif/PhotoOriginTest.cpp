#include "core/exif/PhotoOrigin.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

// The comment is one line of plain characters whatever a reason holds, and
// only a comment Kestrel wrote gives a reason back.
TEST(PhotoOriginTest, TheCommentIsOneLineAndOnlyKestrelsGivesAReason) {
    struct Case {
        std::string reason;
        std::string comment;
    };
    const std::string longReason(300, 'x');
    for (const Case& c : {Case{"shutter", "Kestrel: shutter"},
                          Case{"sound -21.4 dBFS over -38 dBFS", "Kestrel: sound -21.4 dBFS over -38 dBFS"},
                          Case{"two\nlines\tand\x1b[31m red", "Kestrel: two lines and [31m red"},
                          Case{"caf\xc3\xa9  ", "Kestrel: caf"},
                          Case{longReason, "Kestrel: " + std::string(PhotoOrigin::kMaxReason, 'x')},
                          Case{"", ""},
                          Case{" \n ", ""}}) {
        const PhotoOrigin origin{c.reason, std::nullopt};
        EXPECT_EQ(origin.comment(), c.comment) << c.reason;
        if (!c.comment.empty()) {
            EXPECT_EQ("Kestrel: " + PhotoOrigin::reasonOf(c.comment).value_or("?"), c.comment);
        }
    }
    struct Read {
        std::string comment;
        std::optional<std::string> reason;
    };
    for (const Read& r : {Read{"Kestrel: timer 10 s", "timer 10 s"},
                          Read{"Kestrel: timer 10 s\r\n", "timer 10 s"},
                          Read{"Kestrel: a\nb", "a b"},
                          Read{"Kestrel: ", std::nullopt},
                          Read{"Kestrel:shutter", std::nullopt},
                          Read{"kestrel: shutter", std::nullopt},
                          Read{"Holiday at the sea", std::nullopt},
                          Read{"", std::nullopt}})
        EXPECT_EQ(PhotoOrigin::reasonOf(r.comment), r.reason) << r.comment;
    EXPECT_TRUE(PhotoOrigin{}.empty());
    EXPECT_FALSE((PhotoOrigin{"", std::chrono::system_clock::now()}.empty()));
}

}  // namespace
}  // namespace kestrel
