#include "gui/AnimationPlayer.h"

#include "core/platform/ManualRunLoop.h"
#include "core/ui/ImageView.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

AnimationBlock::Record record(const View* view, AnimationBlock::Kind kind, double duration,
                              std::vector<AnimationBlock::Change> changes = {}) {
    AnimationBlock::Record r;
    r.view = view;
    r.kind = kind;
    r.duration = duration;
    r.transition = kind == AnimationBlock::Kind::kLayerTransition ? "push" : "none";
    r.subtype = "fromRight";
    r.changes = std::move(changes);
    return r;
}

TEST(AnimationPlayerTest, ViewsMoveFromWhereTheyWereDrawnToTheModel) {
    gui::AnimationPlayer player;
    View view(Rect{0, 0, 100, 40});
    player.present(view, 0.0);  // drawn once as it was
    view.setAlpha(0);
    view.setFrame(Rect{100, 0, 100, 40});
    player.take({record(&view, AnimationBlock::Kind::kViewAnimation, 0.75,
                        {{&view, "alpha"}, {&view, "frame"}})},
                0.0);
    const auto half = player.present(view, 0.375);
    EXPECT_NEAR(half.alpha, 0.5, 1e-9);  // eased in and out: half way at half time
    EXPECT_NEAR(half.frame.x, 50, 1e-4);
    EXPECT_TRUE(player.animating(0.375));
    const auto done = player.present(view, 0.8);
    EXPECT_EQ(done.alpha, 0);
    EXPECT_EQ(done.frame.x, 100);
    EXPECT_FALSE(player.animating(0.8));
}

TEST(AnimationPlayerTest, APushBringsTheNewPictureInFromTheRight) {
    gui::AnimationPlayer player;
    ImageView view(Rect{0, 0, 40, 10});
    QImage red(40, 10, QImage::Format_RGB32), blue(40, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    const QRectF box(0, 0, 40, 10);
    QImage screen(40, 10, QImage::Format_RGB32);
    {
        QPainter p(&screen);
        player.drawPicture(p, view, red, box, box, 0.0);  // the old picture, as last drawn
    }
    player.take({record(&view, AnimationBlock::Kind::kLayerTransition, 0.6)}, 0.0);
    screen.fill(Qt::black);
    {
        QPainter p(&screen);
        player.drawPicture(p, view, blue, box, box, 0.3);
    }
    EXPECT_EQ(QColor(screen.pixel(5, 5)), QColor(Qt::red));    // the old one, half pushed out
    EXPECT_EQ(QColor(screen.pixel(35, 5)), QColor(Qt::blue));  // the new one, half in
    EXPECT_FALSE(player.animating(0.7));
}

// A view put in place and sent off in the same turn, never drawn where it
// began (a deleted photo laid over the screen and shrunk into the trash):
// the block's record says where it began, and the player plays it from
// there over the block's whole duration, at the size it has on the way.
TEST(AnimationPlayerTest, AViewPutInPlaceAndAnimatedAtOnceMovesFromWhereItWasPut) {
    ManualRunLoop loop;
    AnimationBlock block(&loop);
    View screen(Rect{0, 0, 320, 436});
    auto photo = std::make_shared<ImageView>(Rect{0, 0, 320, 392});
    photo->setAlpha(1.0);
    screen.addSubview(photo);
    AnimationBlock::animate(photo.get(), true, 1, [&] {
        photo->setAlpha(0.1);
        photo->setFrame(Rect{260, 394, 40, 40});
    });
    gui::AnimationPlayer player;
    player.take(block.takeRecords(), 0.0);

    const auto first = player.present(*photo, 0.0);
    EXPECT_EQ(first.frame, (Rect{0, 0, 320, 392}));
    EXPECT_DOUBLE_EQ(first.alpha, 1.0);
    const auto half = player.present(*photo, 0.375);
    EXPECT_NEAR(half.frame.x, 130, 1e-3);
    EXPECT_NEAR(half.frame.width, 180, 1e-3);
    EXPECT_NEAR(half.alpha, 0.55, 1e-9);
    EXPECT_EQ(player.shown(*photo).frame, half.frame);  // its content is drawn at this size
    EXPECT_TRUE(player.animating(0.749));
    const auto end = player.present(*photo, 0.75);
    EXPECT_EQ(end.frame, (Rect{260, 394, 40, 40}));
    EXPECT_DOUBLE_EQ(end.alpha, 0.1);
    EXPECT_FALSE(player.animating(0.75));

    // Put back and sent off again: it starts from the whole screen again,
    // not from the small square it was last drawn as.
    loop.advance(1.0);
    photo->setFrame(Rect{0, 0, 320, 392});
    photo->setAlpha(1.0);
    AnimationBlock::animate(photo.get(), true, 1, [&] {
        photo->setAlpha(0.1);
        photo->setFrame(Rect{260, 394, 40, 40});
    });
    player.take(block.takeRecords(), 1.0);
    EXPECT_EQ(player.present(*photo, 1.0).frame, (Rect{0, 0, 320, 392}));
}

}  // namespace
}  // namespace kestrel
