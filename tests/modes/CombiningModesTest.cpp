#include "core/modes/CameraDlxHandler.h"
#include "core/modes/CameraRapidHandler.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// A camera controller that takes the next prepared picture at once: a final
// one is processed (the result kept), another handed to firstPhoto; then
// ready, as the controller does.
class Host final : public test::FakeHandlerHost {
public:
    void photo(bool finalPhoto) override {
        finals.push_back(finalPhoto);
        const Image picture = pictures.at(next++ % pictures.size());
        if (finalPhoto) {
            labelWhenDone = save.text();
            result = handler->processPhoto(picture, 1.0f);
            handler->reset();
        } else {
            handler->firstPhoto(picture, 1.0f);
        }
        loop.post([this] { handler->ready(); });
    }
    CameraHandler* handler = nullptr;
    std::vector<Image> pictures;
    std::size_t next = 0;
    std::vector<bool> finals;
    Image result;
    std::string labelWhenDone;
};

Rgb colourOf(int i) { return Rgb{(i * 37) % 256, 255 - (i * 11) % 256, (i * 73) % 256}; }

bool near(Rgb a, Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

class CombiningModesTest : public test::HandlerFixture<Host> {
protected:
    // Pictures of one colour each, `first` shaped first and the rest `rest`.
    void prepare(int count, Size first, Size rest) {
        for (int i = 0; i < count; ++i) {
            const Size size = i == 0 ? first : rest;
            host.pictures.push_back(TestImages::uniform(
                static_cast<int>(size.width), static_cast<int>(size.height), colourOf(i)));
        }
    }
    void shootSeries(CameraHandler& handler) {
        handler.shutter();
        for (int i = 0; i < 40 && !host.result; ++i)
            host.loop.runUntilIdle();
    }
};

TEST_F(CombiningModesTest, SixteenLandscapePicturesMakeAFourByFourSheet) {
    CameraRapidHandler rapid;
    attach(rapid);
    prepare(16, Size{640, 480}, Size{640, 480});
    shootSeries(rapid);
    ASSERT_TRUE(host.result);
    EXPECT_EQ(host.finals.size(), 16u);
    EXPECT_EQ(std::count(host.finals.begin(), host.finals.end(), true), 1);
    EXPECT_TRUE(host.finals.back());
    EXPECT_EQ(host.labelWhenDone, "15 of 16");
    EXPECT_EQ(host.save.text(), "16 of 16");  // shown last, then hidden for the review
    EXPECT_TRUE(host.save.hidden());
    EXPECT_EQ(host.result.size(), (Size{1600, 1200}));
    EXPECT_TRUE(near(TestImages::at(host.result, 0 + 5, 300 + 5), colourOf(4)));
    EXPECT_TRUE(near(TestImages::at(host.result, 1200 + 5, 900 + 5), colourOf(15)));
    EXPECT_TRUE(near(TestImages::at(host.result, 1599, 1199), colourOf(15)));
    EXPECT_TRUE(rapid.images().empty());
    EXPECT_FALSE(rapid.autoStart());
}

TEST_F(CombiningModesTest, TwentyFiveFromAnUprightFirstPictureStayUpright) {
    record.rapid().setRapidMode(25);
    CameraRapidHandler rapid;
    attach(rapid);
    prepare(25, Size{480, 640}, Size{640, 480});  // a mixed series
    shootSeries(rapid);
    ASSERT_TRUE(host.result);
    EXPECT_EQ(host.result.size(), (Size{1200, 1600}));
    EXPECT_EQ(rapid.cellSize(), (Size{240, 320}));
    EXPECT_TRUE(near(TestImages::at(host.result, 960 + 3, 1280 + 3), colourOf(24)));
    EXPECT_TRUE(near(TestImages::at(host.result, 240 + 3, 0 + 3), colourOf(1)));
    EXPECT_TRUE(near(TestImages::at(host.result, 239, 319), colourOf(0)));
}

TEST_F(CombiningModesTest, AStoredSeriesLengthOutsideTheTableIsBounded) {
    CameraRapidHandler rapid;
    attach(rapid);
    record.rapid().setRapidMode(0);  // a store without the key
    EXPECT_EQ(rapid.seriesLength(), 16);
    record.rapid().setRapidMode(-3);
    EXPECT_EQ(rapid.seriesLength(), 16);
    record.rapid().setRapidMode(1000);
    EXPECT_EQ(rapid.seriesLength(), 25);
    record.rapid().setRapidMode(1);  // the first picture is the final one
    prepare(1, Size{640, 480}, Size{640, 480});
    shootSeries(rapid);
    EXPECT_EQ(host.finals, std::vector<bool>{true});
    EXPECT_EQ(host.result.size(), (Size{1600, 1200}));
    EXPECT_TRUE(near(TestImages::at(host.result, 10, 10), colourOf(0)));
    EXPECT_EQ(TestImages::at(host.result, 400, 400), (Rgb{0, 0, 0}));
}

TEST_F(CombiningModesTest, DoubleExposureLaysTheSecondOverTheFirstAtHalfOpacity) {
    CameraDlxHandler dlx;
    attach(dlx);
    prepare(2, Size{64, 48}, Size{64, 48});
    dlx.shutter();
    host.loop.runUntilIdle();
    ASSERT_TRUE(dlx.image1());
    EXPECT_TRUE(host.ghost.sameBitmap(dlx.image1()));  // framed against the ghost
    EXPECT_FALSE(host.result);
    dlx.shutter();
    host.loop.runUntilIdle();
    ASSERT_TRUE(host.result);
    const Rgb a = colourOf(0), b = colourOf(1);
    EXPECT_TRUE(near(TestImages::at(host.result, 20, 20),
                     Rgb{(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2}))
        << TestImages::describe(TestImages::at(host.result, 20, 20));
    EXPECT_FALSE(dlx.image1());
    EXPECT_FALSE(host.ghost);  // the next ready removed it
    EXPECT_EQ(host.finals, (std::vector<bool>{false, true}));
}

TEST_F(CombiningModesTest, CancelDropsTheFirstExposure) {
    CameraDlxHandler dlx;
    attach(dlx);
    prepare(3, Size{64, 48}, Size{64, 48});
    dlx.shutter();
    host.loop.runUntilIdle();
    dlx.cancel();
    EXPECT_FALSE(dlx.image1());
    EXPECT_FALSE(host.ghost);
    dlx.shutter();
    host.loop.runUntilIdle();
    dlx.shutter();
    host.loop.runUntilIdle();
    const Rgb b = colourOf(1), c = colourOf(2);
    EXPECT_TRUE(near(TestImages::at(host.result, 5, 5),
                     Rgb{(b.r + c.r) / 2, (b.g + c.g) / 2, (b.b + c.b) / 2}));
}

TEST_F(CombiningModesTest, AnaglyphColoursEachExposureAndMergesByItsSetting) {
    for (const bool channels : {false, true}) {
        record.anaglyph().setColor(channels);
        Camera3dHandler anaglyph;
        attach(anaglyph);
        host.result = Image();
        EXPECT_EQ(anaglyph.modification(), channels ? 6 : 4);
        host.pictures.assign(2, TestImages::uniform(64, 48, Rgb{200, 120, 40}));
        anaglyph.shutter();
        host.loop.runUntilIdle();
        EXPECT_EQ(anaglyph.modification(), channels ? 7 : 5);
        anaglyph.shutter();
        host.loop.runUntilIdle();
        ASSERT_TRUE(host.result);
        const Rgb merged = TestImages::at(host.result, 30, 20);
        if (channels) {
            // Red channel of one, green and blue of the other: the scene's own colour again.
            EXPECT_TRUE(near(merged, Rgb{200, 120, 40})) << TestImages::describe(merged);
        } else {
            EXPECT_FALSE(near(merged, Rgb{200, 120, 40}, 10)) << TestImages::describe(merged);
        }
    }
}

}  // namespace
}  // namespace kestrel
