#include "core/exif/ExifWriter.h"
#include "core/exif/LibExifFileWrapper.h"
#include "core/imaging/ImageFile.h"
#include "core/library/CameraRollPicker.h"
#include "core/library/CameraRollViewer.h"
#include "core/library/TouchImageView.h"
#include "core/platform/ManualRunLoop.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/ImageSaver.h"
#include "core/ui/AlertView.h"
#include "support/JpegBytes.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

class AlbumViewerTest : public ::testing::Test {
protected:
    // A store of `count` photos, 160 × 120 each in its own grey, with thumbnails and poster.
    void fill(int count) {
        roll = std::make_shared<CameraRoll>((dir / "DCIM").string());
        roll->parse(true);
        for (int i = 0; i < count; ++i) {
            const Image photo = TestImages::uniform(160, 120, Rgb{40 * i, 40 * i, 40 * i});
            ASSERT_TRUE(roll->saveImage(photo, TestImages::uniform(75, 75, Rgb{40 * i, 0, 0}),
                                        TestImages::uniform(55, 55, Rgb{40 * i, 0, 0})));
        }
        roll->reset();
        roll->parse(true);
    }
    std::shared_ptr<CameraRollPicker> openAlbum() {
        auto picker = std::make_shared<CameraRollPicker>(
            loop, [this] { return std::make_shared<CameraRollViewer>(loop); },
            [this] { return roll; });
        navigation = std::make_shared<NavigationController>(picker);
        picker->setCameraRoll(roll);
        picker->viewWillAppear(false);
        return picker;
    }
    // Lets the thumbnail reader hand over what it read.
    void settle() {
        while (loop.waitForPosts(std::chrono::milliseconds(200)))
            loop.runUntilIdle();
    }
    CameraRollViewer& viewer() {
        return dynamic_cast<CameraRollViewer&>(navigation->topViewController());
    }

    test::TempDir dir;
    ManualRunLoop loop;
    std::shared_ptr<CameraRoll> roll;
    std::shared_ptr<NavigationController> navigation;
};

TEST_F(AlbumViewerTest, GridRowsFooterAndThumbnails) {
    for (const auto& [photos, rows, footer] :
         {std::tuple{0, 1, "0 Photo"}, std::tuple{1, 2, "1 Photo"}, std::tuple{4, 2, "4 Photos"},
          std::tuple{5, 3, "5 Photos"}}) {
        fill(photos);
        auto picker = openAlbum();
        TableView& table = picker->tableView();
        ASSERT_EQ(picker->numberOfRows(table, 0), rows) << photos;
        const auto last = picker->cellForRow(table, IndexPath{0, rows - 1});
        EXPECT_EQ(last.get(), &picker->footerCell());
        EXPECT_EQ(picker->footerCell().label()->text(), footer);
        if (photos == 1) {
            auto row = std::dynamic_pointer_cast<CameraRollCell>(
                picker->cellForRow(table, IndexPath{0, 0}));
            ASSERT_NE(row, nullptr);
            EXPECT_FALSE(row->tile(1).hidden());
            EXPECT_TRUE(row->tile(2).hidden() && row->tile(3).hidden() && row->tile(4).hidden());
            settle();  // read on the loader's thread, handed over on the loop
            ASSERT_TRUE(row->tile(1).image());
            EXPECT_EQ(row->tile(1).image().width(), 75);  // the thumbnail, never the photo
        }
        if (photos == 5) {
            picker->viewDidAppear(false);
            ASSERT_TRUE(table.scrollTarget());
            EXPECT_EQ(table.scrollTarget()->row, 1);  // the last row of thumbnails
        }
        std::filesystem::remove_all(dir / "DCIM");
    }
}

TEST_F(AlbumViewerTest, ATapMarksTheTileAndOpensTheViewer) {
    fill(5);
    // The first photo's thumbnail is gone: its tile shows nothing and a tap passes to the second.
    std::filesystem::remove(ImageTileCell::getThumbnail(roll->files()[0]->file()));
    auto picker = openAlbum();
    auto row = std::dynamic_pointer_cast<CameraRollCell>(
        picker->cellForRow(picker->tableView(), IndexPath{0, 0}));
    settle();
    EXPECT_FALSE(row->tile(1).image());
    EXPECT_TRUE(row->touchesEnded(Point{10, 40}, 1));
    EXPECT_EQ(row->hitIndex(), 1);
    EXPECT_EQ(row->tile(2).selectView().imageName(), "select_single.png");
    loop.advance(0.19);
    EXPECT_EQ(navigation->depth(), 1u);
    loop.advance(0.02);
    ASSERT_EQ(navigation->depth(), 2u);
    EXPECT_EQ(viewer().title(), "2 of 5");
    loop.advance(0.3);
    EXPECT_EQ(row->tile(2).selectView().imageName(), "select_none.png");
    // Beyond the four tiles nothing is hit.
    row->touchesEnded(Point{330, 40}, 1);
    EXPECT_EQ(row->hitIndex(), -1);
}

TEST_F(AlbumViewerTest, ViewerStepsSwipesAndPlays) {
    fill(3);
    auto picker = openAlbum();
    picker->showImage(0);
    CameraRollViewer& v = viewer();
    EXPECT_EQ(v.title(), "1 of 3");
    EXPECT_FALSE(v.previousButton().enabled());
    EXPECT_TRUE(v.nextButton().enabled());
    ASSERT_TRUE(v.imageView().image());
    EXPECT_EQ(v.imageView().image().size(), (Size{427, 320}));  // 426.67 points, whole pixels
    v.touchesBegan(Point{100, 100});
    v.touchesEnded(Point{70, 140});  // 30 left, 40 down: nothing
    EXPECT_EQ(v.current(), 0);
    v.touchesBegan(Point{100, 100});
    v.touchesEnded(Point{59, 140});  // 41 left, 40 down: the next photo
    EXPECT_EQ(v.current(), 1);
    v.touchesBegan(Point{100, 100});
    v.touchesEnded(Point{141, 60});  // to the right: the previous one
    EXPECT_EQ(v.current(), 0);
    v.play();
    EXPECT_EQ(v.playButton().currentImage(), "Toolbar_Pause.png");
    loop.advance(5.0 * 4 + 0.1);
    EXPECT_EQ(v.current(), 2);  // stays on the last one, still playing
    EXPECT_TRUE(v.playing());
    EXPECT_EQ(v.title(), "3 of 3");
    EXPECT_FALSE(v.nextButton().enabled());
    v.play();
    EXPECT_FALSE(v.playing());
    EXPECT_EQ(v.playButton().currentImage(), "Toolbar_Play.png");
    EXPECT_EQ(CameraRollViewer::displaySize(Size{1600, 1200}).width, 1600.0f * 320 / 1200);
    EXPECT_EQ(CameraRollViewer::displaySize(Size{1200, 1600}), (Size{320, 1600.0f * 320 / 1200}));
}

// A wider window: as many tiles to a row as its width holds, the row
// centred, each tile answering taps where it is drawn; a narrower one again
// gets rows of its own width, never one kept from before.
TEST_F(AlbumViewerTest, TheGridHoldsAsManyTilesAsTheWidth) {
    fill(7);
    auto picker = openAlbum();
    TableView& table = picker->tableView();
    navigation->layOut(ScreenLayout(Size{440, 600}));
    EXPECT_EQ(picker->view().frame(), (Rect{0, 0, 440, 556}));
    ASSERT_EQ(picker->columns(), 5);
    ASSERT_EQ(picker->numberOfRows(table, 0), 3);  // 5 + 2 photos, and the count
    auto row = std::dynamic_pointer_cast<CameraRollCell>(picker->cellForRow(table, IndexPath{0, 1}));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->frame().width, 440);
    EXPECT_EQ(row->startIndex(), 5);
    EXPECT_FALSE(row->tile(2).hidden());
    EXPECT_TRUE(row->tile(3).hidden() && row->tile(5).hidden());
    EXPECT_EQ(row->tile(1).frame(), (Rect{22, 2, 76, 76}));  // 20 points either side
    EXPECT_EQ(row->tile(5).frame().x, 342);
    settle();
    EXPECT_TRUE(row->touchesEnded(Point{20 + 80 + 40, 40}, 1));
    EXPECT_EQ(row->hitIndex(), 6);
    EXPECT_EQ(picker->footerCell().frame().width, 440);
    EXPECT_EQ(picker->footerCell().label()->frame().width, 440);
    table.enqueueReusableCell(row);

    navigation->layOut(ScreenLayout(Size{320, 480}));
    ASSERT_EQ(picker->columns(), 4);
    EXPECT_EQ(picker->numberOfRows(table, 0), 3);  // 4 + 3 photos, and the count
    auto narrow =
        std::dynamic_pointer_cast<CameraRollCell>(picker->cellForRow(table, IndexPath{0, 1}));
    ASSERT_NE(narrow, nullptr);
    EXPECT_NE(narrow, row);
    EXPECT_EQ(narrow->columns(), 4);
    EXPECT_EQ(narrow->startIndex(), 4);
    EXPECT_EQ(narrow->tile(1).frame(), (Rect{2, 2, 76, 76}));
}

// The viewer shows the photo over the window's width, decoded for the
// window's pixels (not a phone's picture scaled up), and decoded again when
// the window changes.
TEST_F(AlbumViewerTest, TheViewerFillsTheWindowAndDecodesForItsPixels) {
    fill(1);
    auto picker = openAlbum();
    navigation->layOut(ScreenLayout(Size{1280, 720}, Size{}, 1.5));
    picker->showImage(0);
    CameraRollViewer& v = viewer();
    EXPECT_EQ(v.view().frame(), (Rect{0, 0, 1280, 676}));
    EXPECT_EQ(v.imageView().frame(), (Rect{0, 0, 1280, 632}));
    EXPECT_EQ(v.toolBar().frame(), (Rect{0, 632, 1280, 44}));
    EXPECT_EQ(v.trashButton().frame(), (Rect{1100, 0, 40, 44}));  // the middle of the last quarter
    const Rect trash = v.trashTarget();
    EXPECT_GE(trash.y, 632);
    EXPECT_GE(trash.x, 1100);
    // 632 points at 1.5 pixels each: the shorter side 948 pixels, of a
    // photo that has them; a smaller photo is not blown up past the phone's 320.
    EXPECT_EQ(v.displaySide(), 948);
    ASSERT_TRUE(v.imageView().image());
    EXPECT_EQ(v.imageView().image().size(), (Size{427, 320}));
    const Image large = TestImages::uniform(1600, 1200, Rgb{90, 90, 90});
    ASSERT_TRUE(roll->saveImage(large, TestImages::uniform(75, 75, Rgb{90, 0, 0}),
                                TestImages::uniform(55, 55, Rgb{90, 0, 0})));
    roll->reset();
    roll->parse(true);
    v.showImage(1);
    ASSERT_EQ(v.title(), "2 of 2");
    EXPECT_EQ(v.imageView().image().size(), (Size{1264, 948}));
    navigation->layOut(ScreenLayout(Size{320, 480}));
    EXPECT_EQ(v.imageView().image().size(), (Size{427, 320}));
    EXPECT_EQ(v.trashButton().frame(), (Rect{260, 0, 40, 44}));
    EXPECT_EQ(v.previousButton().frame(), (Rect{20, 0, 40, 44}));
}

TEST_F(AlbumViewerTest, DeletingTheNewestAnOlderAndTheOnlyPhoto) {
    fill(3);
    auto picker = openAlbum();
    const std::string poster = roll->getPosterPath();
    const auto posterBefore = test::JpegBytes::read(poster);
    // An older photo: the poster stays.
    picker->showImage(0);
    const std::string first = roll->files()[0]->file();
    viewer().trash();
    ASSERT_NE(AlertView::pending(), nullptr);
    EXPECT_EQ(AlertView::pending()->buttons(),
              (std::vector<std::string>{"Delete Photo", "Cancel"}));
    AlertView::answer(1);  // cancel
    EXPECT_TRUE(FileUtils::fileExists(first));
    viewer().trash();
    AlertView::answer(0);
    EXPECT_FALSE(FileUtils::fileExists(first));
    EXPECT_FALSE(FileUtils::fileExists(ImageSaver::getThumbnailFile(first)));
    EXPECT_EQ(roll->files().size(), 2u);  // the album's own list
    EXPECT_EQ(viewer().title(), "1 of 2");
    EXPECT_EQ(test::JpegBytes::read(poster), posterBefore);
    // The newest: the new newest is shown and becomes the poster.
    viewer().next();
    viewer().reallyTrash();
    EXPECT_EQ(viewer().title(), "1 of 1");
    const auto newPoster = ImageFile::read(poster);
    ASSERT_TRUE(newPoster);
    EXPECT_EQ(newPoster->width(), 55);
    EXPECT_NEAR(TestImages::at(*newPoster, 27, 27).r, 40, 3);  // photo 2's grey
    loop.advance(1.0);                                         // the removal animation ends
    EXPECT_EQ(viewer().deleteImageView().superview(), nullptr);
    // The only one: both files and the poster go, the viewer leaves.
    viewer().reallyTrash();
    EXPECT_TRUE(roll->files().empty());
    EXPECT_FALSE(FileUtils::fileExists(poster));
    EXPECT_EQ(navigation->depth(), 1u);
    picker->viewWillAppear(false);
    EXPECT_EQ(picker->numberOfRows(picker->tableView(), 0), 1);
}

TEST(TouchImageViewTest, OneFingerMovesTwoScaleAndTurn) {
    TouchImageView view(Rect{0, 0, 100, 100});
    view.touchesBegan({{1, Point{10, 10}, 1}});
    view.touchesMoved({{1, Point{30, 20}, 1}});
    EXPECT_EQ(view.center(), (Point{70, 60}));
    view.touchesEnded();
    view.touchesBegan({{1, Point{0, 0}, 1}, {2, Point{10, 0}, 1}});
    view.touchesMoved({{2, Point{0, 20}, 1}});  // twice as far apart, a quarter turn
    EXPECT_FLOAT_EQ(view.scale(), 2.0f);
    EXPECT_NEAR(view.rotation(), std::numbers::pi / 2, 1e-6);
    EXPECT_EQ(view.transform().scaleX, 2.0);
}

// The info line says what took a photo Kestrel took, as its comment says,
// on one plain line; a photo without a comment, or with another camera's,
// shows none. It lies over the bottom of the picture, above the toolbar.
TEST_F(AlbumViewerTest, TheInfoLineTellsWhatTookAPhotoKestrelTook) {
    fill(5);
    const auto& files = roll->files();
    auto stamp = [&](std::size_t i, const std::string& reason) {
        ExifWriter writer(files[i]->file());
        writer.setOrigin(PhotoOrigin{reason, std::chrono::system_clock::now()});
        ASSERT_TRUE(writer.write(static_cast<const LocationSource*>(nullptr)));
    };
    auto comment = [&](std::size_t i, const std::string& text) {
        LibExifFileWrapper file(files[i]->file());
        ASSERT_TRUE(file.createEntry(text, "UserComment", "EXIF"));
        ASSERT_TRUE(file.saveImageFile());
    };
    // 0: no EXIF at all.
    stamp(1, "sound -21.4 dBFS over -38 dBFS");
    comment(2, "Holiday at the sea");
    comment(3, "Kestrel: timer 10 s\n\x1b[2Jmore");
    ExifWriter(files[4]->file()).write(static_cast<const LocationSource*>(nullptr));  // tags, no comment
    const std::optional<std::string> expected[] = {std::nullopt, "Kestrel: sound -21.4 dBFS over -38 dBFS",
                                                   std::nullopt, "Kestrel: timer 10 s  [2Jmore", std::nullopt};

    auto picker = openAlbum();
    navigation->layOut(ScreenLayout(Size{360, 720}));
    picker->showImage(0);
    CameraRollViewer& v = viewer();
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CameraRollViewer::infoText(files[i]->file()), expected[i]);
        EXPECT_EQ(v.infoLine().hidden(), !expected[i]);
        EXPECT_EQ(v.infoLine().text(), expected[i].value_or(""));
        v.next();
    }
    const Rect line = v.infoLine().frame();
    const Rect bar = v.toolBar().frame();
    EXPECT_EQ(line.y + line.height, bar.y);
    EXPECT_EQ(line.width, bar.width);
    EXPECT_GE(line.y, v.imageView().frame().y);
    EXPECT_LT(line.height, v.imageView().frame().height / 4);
    EXPECT_EQ(CameraRollViewer::infoText((dir / "no-such.jpg").string()), std::nullopt);
}

}  // namespace
}  // namespace kestrel
