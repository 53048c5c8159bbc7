#include "core/ui/ScreenLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace kestrel {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}
std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << "(" << p.x << ", " << p.y << ")";
}

namespace {

using B = ScreenLayout::ToolbarButton;

bool inside(const Rect& inner, const Rect& outer) {
    constexpr float kSlack = 0.01f;
    return inner.x >= outer.x - kSlack && inner.y >= outer.y - kSlack &&
           inner.x + inner.width <= outer.x + outer.width + kSlack &&
           inner.y + inner.height <= outer.y + outer.height + kSlack;
}
bool contains(const Rect& r, Point p) {
    return p.x >= r.x && p.y >= r.y && p.x <= r.x + r.width && p.y <= r.y + r.height;
}
bool overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}
// A toolbar button on the screen, with its page shown.
Rect onScreen(const ScreenLayout& layout, B button) {
    const Rect bar = layout.toolbarFrame(button == B::kRetake || button == B::kUse);
    const Rect r = layout.toolbarButton(button);
    return Rect{bar.x + r.x, bar.y + r.y, r.width, r.height};
}

// The phone screen is the one the camera screen was drawn for: every number as it always was.
TEST(ScreenLayoutTest, ThePhoneScreenKeepsItsNumbers) {
    const ScreenLayout phone;
    EXPECT_FALSE(phone.landscape());
    EXPECT_EQ(phone.pictureArea(), (Rect{0, 0, 320, 427}));
    EXPECT_EQ(phone.turnedPictureArea(), (Rect{-53.5f, 53.5f, 427, 320}));
    EXPECT_EQ(phone.toolbarStrip(), (Rect{0, 427, 320, 53}));
    EXPECT_EQ(phone.toolbarFrame(false), (Rect{0, 427, 640, 53}));
    EXPECT_EQ(phone.toolbarFrame(true), (Rect{-320, 427, 640, 53}));
    EXPECT_EQ(phone.toolbarButton(B::kAlbum), (Rect{10, 4, 60, 45}));
    EXPECT_EQ(phone.toolbarButton(B::kShutter), (Rect{110, 4, 100, 45}));
    EXPECT_EQ(phone.toolbarButton(B::kSettings), (Rect{250, 4, 60, 45}));
    EXPECT_EQ(phone.toolbarButton(B::kRetake), (Rect{330, 4, 120, 45}));
    EXPECT_EQ(phone.toolbarButton(B::kUse), (Rect{510, 4, 120, 45}));
    EXPECT_EQ(phone.saveTarget(true), (Point{160, 452}));
    EXPECT_EQ(phone.saveTarget(false), (Point{283, 452}));
    EXPECT_EQ(phone.flashButton(), (Rect{10, 10, 60, 34}));
    EXPECT_EQ(phone.cameraSwitchButton(), (Rect{250, 10, 60, 34}));
    EXPECT_EQ(phone.timerLabel(), (Rect{60, 150, 200, 100}));
    EXPECT_EQ(phone.modeIcon(), (Rect{135, 180, 50, 50}));
    EXPECT_EQ(phone.zoomReadout(), (Rect{110, 330, 100, 44}));
    EXPECT_EQ(phone.sensorPanel(), (Rect{60, 300, 200, 90}));
    EXPECT_EQ(phone.sensorPanelCentre(), (Point{160, 400}));
    EXPECT_EQ(phone.sensorPanelCentreHeldLeft(), (Point{40, 303}));
    EXPECT_EQ(phone.sensorPanelCentreHeldRight(), (Point{280, 303}));
    EXPECT_EQ(phone.saveLabel(), (Rect{20, 385, 280, 30}));
    EXPECT_EQ(phone.turnedSaveLabel(), (Rect{-105, 198.5f, 280, 30}));
    EXPECT_EQ(phone.navigationBackButton(), (Rect{0, 0, 90, 44}));
    EXPECT_EQ(phone.navigationTitle(), (Rect{80, 0, 160, 44}));
    EXPECT_EQ(phone.navigationRightButton(), (Rect{230, 0, 90, 44}));
    EXPECT_EQ(phone.readingColumn(), (Rect{0, 0, 320, 436}));
    EXPECT_EQ(phone.albumColumns(), 4);
    EXPECT_EQ(phone.viewerPicture(), (Rect{0, 0, 320, 392}));
    EXPECT_EQ(phone.viewerToolbar(), (Rect{0, 392, 320, 44}));
    EXPECT_EQ(phone.viewerPixels(), (Size{320, 392}));
}

struct Screen {
    Size size;
    Size frame;  // the camera's upright frames; empty: none yet
    bool landscape;
    Rect picture;
};

// Every window shape: the picture and the toolbar share the screen without
// overlapping, every button is inside the toolbar's strip on its page, and
// the read-outs lie on the picture.
TEST(ScreenLayoutTest, EveryWindowHoldsThePictureTheToolbarAndTheReadOuts) {
    const Screen screens[] = {
        {{320, 480}, {}, false, {0, 0, 320, 427}},
        {{400, 600}, {}, false, {0, 0, 400, 547}},
        {{360, 720}, {}, false, {0, 0, 360, 667}},
        {{240, 360}, {}, false, {0, 0, 240, 307}},
        {{480, 480}, {}, false, {0, 0, 480, 427}},  // square: a row, as a phone would
        // Landscape: the height at the frame's shape, centred beside the column.
        {{1280, 720}, {}, true, {133.5f, 0, 960, 720}},
        {{1920, 1080}, {}, true, {213.5f, 0, 1440, 1080}},
        {{1920, 1080}, {1920, 1080}, true, {0, 0, 1867, 1080}},  // 16:9 is wider than the room
        {{1280, 720}, {480, 640}, true, {343.5f, 0, 540, 720}},  // a camera turned upright
        // Too narrow for the picture at its shape: it takes the width left.
        {{500, 480}, {}, true, {0, 0, 447, 480}},
    };
    for (const Screen& s : screens) {
        SCOPED_TRACE(testing::Message() << s.size.width << " x " << s.size.height << ", frame "
                                        << s.frame.width << " x " << s.frame.height);
        const ScreenLayout layout(s.size, s.frame);
        EXPECT_EQ(layout.landscape(), s.landscape);
        EXPECT_EQ(layout.pictureArea(), s.picture);
        const Rect screen = layout.screenRect();
        const Rect strip = layout.toolbarStrip();
        EXPECT_TRUE(inside(layout.pictureArea(), screen));
        EXPECT_TRUE(inside(strip, screen));
        EXPECT_FALSE(overlap(strip, layout.pictureArea()));
        // The strip runs along the whole bottom, or the whole right side.
        if (s.landscape)
            EXPECT_EQ(strip, (Rect{s.size.width - 53, 0, 53, s.size.height}));
        else
            EXPECT_EQ(strip, (Rect{0, s.size.height - 53, s.size.width, 53}));
        for (const B button : {B::kAlbum, B::kShutter, B::kSettings, B::kRetake, B::kUse})
            EXPECT_TRUE(inside(onScreen(layout, button), strip)) << onScreen(layout, button);
        EXPECT_FALSE(overlap(onScreen(layout, B::kAlbum), onScreen(layout, B::kShutter)));
        EXPECT_FALSE(overlap(onScreen(layout, B::kShutter), onScreen(layout, B::kSettings)));
        EXPECT_FALSE(overlap(onScreen(layout, B::kRetake), onScreen(layout, B::kUse)));
        // The saved picture flies to the button that saved it.
        EXPECT_TRUE(contains(onScreen(layout, B::kShutter), layout.saveTarget(true)));
        EXPECT_TRUE(contains(onScreen(layout, B::kUse), layout.saveTarget(false)))
            << layout.saveTarget(false);
        const Rect picture = layout.pictureArea();
        for (const Rect& readOut : {layout.flashButton(), layout.cameraSwitchButton(),
                                    layout.timerLabel(), layout.modeIcon(), layout.zoomReadout(),
                                    layout.sensorPanel(), layout.saveLabel()})
            EXPECT_TRUE(inside(readOut, picture)) << readOut;
        for (const Point centre : {layout.sensorPanelCentre(), layout.sensorPanelCentreHeldLeft(),
                                   layout.sensorPanelCentreHeldRight()})
            EXPECT_TRUE(contains(picture, centre)) << centre;
        EXPECT_FALSE(overlap(layout.flashButton(), layout.cameraSwitchButton()));
    }
}

TEST(ScreenLayoutTest, TheOtherScreensUseTheWidthTheyRead) {
    struct Case {
        Size size;
        Rect readingColumn;
        int albumColumns;
        Rect viewerPicture;
    };
    const Case cases[] = {
        {{320, 480}, {0, 0, 320, 436}, 4, {0, 0, 320, 392}},
        {{400, 600}, {0, 0, 400, 556}, 5, {0, 0, 400, 512}},
        {{360, 720}, {0, 0, 360, 676}, 4, {0, 0, 360, 632}},
        {{1280, 720}, {400, 0, 480, 676}, 16, {0, 0, 1280, 632}},
        {{1920, 1080}, {720, 0, 480, 1036}, 24, {0, 0, 1920, 992}},
        {{70, 100}, {0, 0, 70, 56}, 1, {0, 0, 70, 12}},  // never no tile at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width << " x " << c.size.height);
        const ScreenLayout layout(c.size);
        EXPECT_EQ(layout.readingColumn(), c.readingColumn);
        EXPECT_EQ(layout.albumColumns(), c.albumColumns);
        EXPECT_EQ(layout.viewerPicture(), c.viewerPicture);
        // The bar's buttons at its two ends, apart, the title between them.
        EXPECT_EQ(layout.navigationRightButton().x + layout.navigationRightButton().width,
                  c.size.width);
        if (c.size.width >= 240) {
            EXPECT_FALSE(overlap(layout.navigationBackButton(), layout.navigationRightButton()));
        }
        const Rect bar = layout.viewerToolbar();
        EXPECT_EQ(bar.y + bar.height, layout.navigationContent().height);
        EXPECT_EQ(bar.width, c.size.width);
    }
}

TEST(ScreenLayoutTest, TheViewerDecodesForTheDisplaysPixels) {
    EXPECT_EQ(ScreenLayout(Size{1280, 720}, Size{}, 2).viewerPixels(), (Size{2560, 1264}));
    EXPECT_EQ(ScreenLayout(Size{400, 600}, Size{}, 1.25).viewerPixels(), (Size{500, 640}));
    // A ratio the platform did not give reads as one pixel a point.
    EXPECT_EQ(ScreenLayout(Size{320, 480}, Size{}, 0).viewerPixels(), (Size{320, 392}));
}

TEST(ScreenLayoutTest, ALayoutChangesWithTheFramesShapeOnlyWhereItMatters) {
    // A portrait screen's picture takes the height the toolbar leaves, whatever the frames.
    EXPECT_EQ(ScreenLayout(Size{400, 600}, Size{1920, 1080}).pictureArea(),
              ScreenLayout(Size{400, 600}).pictureArea());
    EXPECT_NE(ScreenLayout(Size{400, 600}, Size{1920, 1080}), ScreenLayout(Size{400, 600}));
    // Nothing nonsensical from a window too small to hold anything.
    const ScreenLayout none(Size{0, 0});
    EXPECT_GE(none.pictureArea().width, 0);
    EXPECT_GE(none.pictureArea().height, 0);
    EXPECT_GE(none.saveLabel().width, 0);
    EXPECT_EQ(none.albumColumns(), 1);
}

}  // namespace
}  // namespace kestrel
