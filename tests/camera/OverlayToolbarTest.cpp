#include "core/camera/CameraHoverView.h"
#include "core/camera/CameraOverlayView.h"
#include "core/camera/CameraToolbar.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/AnimationBlock.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

using Kind = DrawingPrimitive::Kind;

class OverlayTest : public ::testing::Test {
protected:
    OverlayTest() : record(store) {
        ApplicationId::setId(ApplicationId::kThisBuild);
        record.setMode(Camera1Data::kStandard);
        record.setGrid(true);
        overlay.setShowBorder(true);
        overlay.setShowGrid(true);
    }
    ~OverlayTest() override { ApplicationId::setId(0); }

    struct Drawn {
        std::vector<Rect> bands;
        std::vector<float> rows, columns;
        double fillAlpha = 0;
    };
    Drawn drawn(int ratio) {
        record.setRatio(ratio);
        Drawn d;
        for (const auto& p : overlay.draw()) {
            if (p.kind == Kind::kFillRect) {
                d.bands.push_back(p.rect);
                d.fillAlpha = p.color.alpha;
            } else if (p.rect.height == 0) {
                d.rows.push_back(p.rect.y);
            } else {
                d.columns.push_back(p.rect.x);
            }
        }
        return d;
    }

    test::MemoryStore store;
    Camera1Data record;
    CameraOverlayView overlay;
};

TEST_F(OverlayTest, TheWorkedValues) {
    Drawn d = drawn(0);  // 4:3: no bands, the grid over everything
    ASSERT_EQ(d.bands.size(), 4u);
    EXPECT_EQ(d.bands[0], (Rect{0, 0, 320, 0}));
    EXPECT_EQ(d.bands[1], (Rect{0, 427, 320, 0}));
    EXPECT_EQ(d.bands[2], (Rect{0, 0, 0, 427}));
    EXPECT_EQ(d.bands[3], (Rect{320, 0, 0, 427}));
    EXPECT_EQ(d.rows, (std::vector<float>{142.5f, 284.5f}));
    EXPECT_EQ(d.columns, (std::vector<float>{106.5f, 213.5f}));
    EXPECT_DOUBLE_EQ(d.fillAlpha, 0.5);

    d = drawn(1);  // 16:9
    EXPECT_EQ(d.bands[2], (Rect{0, 0, 40, 427}));
    EXPECT_EQ(d.bands[3], (Rect{280, 0, 40, 427}));
    EXPECT_EQ(d.columns, (std::vector<float>{119.5f, 200.5f}));

    d = drawn(2);  // 1:1
    EXPECT_EQ(d.bands[0], (Rect{0, 0, 320, 54}));
    EXPECT_EQ(d.bands[1], (Rect{0, 374, 320, 54}));
    EXPECT_EQ(d.rows, (std::vector<float>{160.5f, 266.5f}));
    EXPECT_EQ(d.columns, (std::vector<float>{106.5f, 213.5f}));

    d = drawn(16);  // 2.35
    EXPECT_EQ(d.bands[2], (Rect{0, 0, 69, 427}));
    EXPECT_EQ(d.bands[3], (Rect{251, 0, 69, 427}));
    EXPECT_EQ(d.columns, (std::vector<float>{129.5f, 190.5f}));

    // 1.25 on a portrait frame: the photo is 4:5 portrait (its crop turns
    // the ratio to the frame's shape), and so is what the mask leaves:
    // 320 × 400, not a landscape 320 × 256 the photo would not hold.
    d = drawn(4);
    EXPECT_EQ(d.bands[0], (Rect{0, 0, 320, 14}));  // (427 − 400) / 2 = 13.5, snapped to 14
    EXPECT_EQ(d.bands[1].y, 414);
}

TEST_F(OverlayTest, TiltDrawsOpaqueBandsTheOtherWay) {
    ApplicationId::setId(40200);  // the variant with tilt
    Drawn d = drawn(0);
    EXPECT_DOUBLE_EQ(d.fillAlpha, 1.0);
    EXPECT_EQ(d.bands[0], (Rect{0, 0, 320, 94}));
    EXPECT_EQ(d.bands[1].y, 334);
    d = drawn(1);  // 16:9 with tilt: 320 × 180
    EXPECT_EQ(d.bands[0], (Rect{0, 0, 320, 124}));  // (427 − 180) / 2 = 123.5, snapped to 124
}

TEST_F(OverlayTest, NoBorderNoGridNothing) {
    record.setGrid(false);
    EXPECT_TRUE(drawn(0).rows.empty());
    record.setGrid(true);
    overlay.setShowGrid(false);
    EXPECT_TRUE(drawn(0).rows.empty());
    overlay.setShowBorder(false);
    EXPECT_TRUE(overlay.draw().empty());
    EXPECT_FLOAT_EQ(CameraOverlayView::round(-0.125), 0);
    EXPECT_FLOAT_EQ(CameraOverlayView::round05(142.33), 142.5f);
}

TEST(CameraToolbarTest, PagesAndLayouts) {
    AnimationBlock block;
    CameraToolbar toolbar;
    EXPECT_EQ(toolbar.frame(), (Rect{0, 427, 640, 53}));
    toolbar.scrollToReview(true);
    EXPECT_EQ(toolbar.frame(), (Rect{-320, 427, 640, 53}));
    ASSERT_EQ(block.records().size(), 1u);
    EXPECT_DOUBLE_EQ(block.records()[0].duration, 0.75);
    toolbar.scrollToPreview(false);
    EXPECT_EQ(toolbar.frame().x, 0);
    EXPECT_EQ(block.records().size(), 1u);

    const std::size_t children = toolbar.subviews().size();
    toolbar.readyForPhoto2();
    toolbar.readyForPhoto2();
    EXPECT_EQ(toolbar.subviews().size(), children + 1);  // the cancel button added once
    EXPECT_EQ(toolbar.cancelButton().frame(), toolbar.albumButton().frame());
    EXPECT_FALSE(toolbar.cancelButton().hidden());
    EXPECT_TRUE(toolbar.albumButton().hidden());
    EXPECT_TRUE(toolbar.settingsButton().hidden());
    toolbar.ready();
    EXPECT_TRUE(toolbar.cancelButton().hidden());
    EXPECT_FALSE(toolbar.albumButton().hidden());
    EXPECT_EQ(toolbar.shutterButton().currentImage(), "camera.png");
}

// A landscape window's toolbar: a column on the right, the review page
// below the preview page, sliding up to it as the row slides sideways.
TEST(CameraToolbarTest, AColumnBesideALandscapePictureSlidesUpAndDown) {
    AnimationBlock block;
    CameraToolbar toolbar;
    const ScreenLayout laptop(Size{1280, 720});
    toolbar.layOut(laptop);
    EXPECT_EQ(toolbar.frame(), (Rect{1227, 0, 53, 1440}));
    EXPECT_TRUE(block.records().empty());  // laid out at once, not animated
    for (Button* button : {&toolbar.albumButton(), static_cast<Button*>(&toolbar.shutterButton()),
                           &toolbar.settingsButton()}) {
        const Rect r = button->frame();
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.y + r.height, 720);  // on the first page
        EXPECT_LE(r.x + r.width, 53);
    }
    for (Button* button : {&toolbar.retakeButton(), &toolbar.useButton()}) {
        EXPECT_GE(button->frame().y, 720);  // on the second
        EXPECT_LE(button->frame().y + button->frame().height, 1440);
    }
    toolbar.scrollToReview(true);
    EXPECT_EQ(toolbar.frame(), (Rect{1227, -720, 53, 1440}));
    ASSERT_EQ(block.records().size(), 1u);
    // A resize on the review page keeps it; the cancel button keeps the album's place.
    toolbar.readyForPhoto2();
    toolbar.layOut(ScreenLayout(Size{320, 480}));
    EXPECT_EQ(toolbar.frame(), (Rect{-320, 427, 640, 53}));
    EXPECT_EQ(toolbar.cancelButton().frame(), (Rect{10, 4, 60, 45}));
    toolbar.scrollToPreview(false);
    EXPECT_EQ(toolbar.frame(), (Rect{0, 427, 640, 53}));
}

// The mask lies on the overlay, whatever the window's size and the camera
// frame's shape, and what it leaves has the photo's shape: the ratio turned
// to the frame's (the first ratio: the frame's own).
TEST_F(OverlayTest, TheMaskStaysWithinTheOverlayAndLeavesThePhotosShape) {
    struct Case {
        Rect overlay;
        Size frame;  // none: the overlay's own shape
    };
    for (const Case& c : {Case{Rect{0, 0, 360, 667}, Size{}}, Case{Rect{0, 0, 400, 547}, Size{}},
                          Case{Rect{0, 0, 360, 667}, Size{1280, 720}},   // letterboxed
                          Case{Rect{0, 0, 1227, 690}, Size{1280, 720}},  // a laptop's webcam
                          Case{Rect{0, 0, 960, 720}, Size{640, 480}},
                          Case{Rect{0, 0, 1227, 690}, Size{480, 640}}}) {  // pillarboxed
        overlay.setFrame(c.overlay);
        overlay.setFrameShape([shape = c.frame] { return shape; });
        const Rect shown = CameraOverlayView::shownRect(Size{c.overlay.width, c.overlay.height}, c.frame);
        const double frameAspect = double{shown.width} / shown.height;
        for (int ratio = 0; ratio < 29; ++ratio) {
            SCOPED_TRACE(testing::Message() << c.overlay.width << " x " << c.overlay.height << ", frame "
                                            << c.frame.width << " x " << c.frame.height << ", ratio " << ratio);
            const Drawn d = drawn(ratio);
            ASSERT_EQ(d.bands.size(), 4u);
            EXPECT_EQ(d.bands[0].width, c.overlay.width);  // the top band spans the overlay
            for (const Rect& band : d.bands) {
                EXPECT_GE(band.x, 0);
                EXPECT_GE(band.y, 0);
                EXPECT_LE(band.x + band.width, c.overlay.width + 1);  // whole points, rounded
                EXPECT_LE(band.y + band.height, c.overlay.height + 1);
            }
            // Between the bands: the kept part, within the shown frame.
            const float left = d.bands[2].width, right = d.bands[3].x;
            const float top = d.bands[0].height, bottom = d.bands[1].y;
            EXPECT_GE(left, shown.x - 0.5f);
            EXPECT_LE(right, shown.x + shown.width + 0.5f);
            EXPECT_GE(top, shown.y - 0.5f);
            EXPECT_LE(bottom, shown.y + shown.height + 0.5f);
            const double r = Camera1Data::getAspectRatio(ratio);
            const double expected = ratio == 0 ? frameAspect : frameAspect >= 1 ? r : 1 / r;
            const double kept = double{right - left} / (bottom - top);
            EXPECT_NEAR(kept, expected, expected * 2.5 / std::min(right - left, bottom - top));
            // The bands reach the overlay's far edges.
            EXPECT_NEAR(d.bands[1].y + d.bands[1].height, c.overlay.height, 1);
            EXPECT_NEAR(d.bands[3].x + d.bands[3].width, c.overlay.width, 1);
        }
    }
}

TEST(CameraHoverViewTest, APanelWithAPictureAndALevel) {
    CameraHoverView panel;
    EXPECT_TRUE(panel.hidden());
    EXPECT_NEAR(panel.grayLevel(), 0.8f, 1e-6f);
    panel.indicatorView().setLevel(0.5f);
    EXPECT_EQ(panel.subviews().size(), 3u);  // the picture, the line of text, the level
    EXPECT_TRUE(panel.textLabel().hidden());  // until a mode fills it
}

}  // namespace
}  // namespace kestrel

#include "core/camera/CameraZoomView.h"

namespace kestrel {
namespace {

TEST(CameraZoomViewTest, FactorAsTextAndLevel) {
    CameraZoomView readout;
    readout.setZoom(2.5f);
    EXPECT_EQ(readout.label().text(), "2.5X");
    EXPECT_FLOAT_EQ(readout.indicator().level(), 0.5f);
    readout.setZoom(1.0f);
    EXPECT_EQ(readout.label().text(), "1.0X");
    EXPECT_FLOAT_EQ(readout.indicator().level(), 0.0f);
    readout.setZoom(4.0f);
    EXPECT_FLOAT_EQ(readout.indicator().level(), 1.0f);
}

}  // namespace
}  // namespace kestrel
