#include "core/library/CameraRollViewer.h"
#include "core/platform/ManualRunLoop.h"
#include "core/store/CameraRoll.h"
#include "core/ui/AlertView.h"
#include "core/ui/AnimationBlock.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// A viewer on a store of three photos, with the shared animation block.
class ViewerDeletionTest : public ::testing::Test {
protected:
    ViewerDeletionTest() {
        roll = std::make_shared<CameraRoll>((dir / "DCIM").string());
        roll->parse(true);
        for (int i = 0; i < 3; ++i) {
            const Rgb grey{60 * i, 60 * i, 60 * i};
            EXPECT_TRUE(roll->saveImage(TestImages::uniform(160, 120, grey),
                                        TestImages::uniform(75, 75, grey),
                                        TestImages::uniform(55, 55, grey)));
        }
        roll->reset();
        roll->parse(true);
        viewer->setCameraRoll(roll);
        navigation = std::make_shared<NavigationController>(std::make_shared<ViewController>());
        navigation->pushViewController(viewer, false);
    }
    ~ViewerDeletionTest() override { AlertView::clearPending(); }

    // The record of the block that moved the deleted photo, if any.
    const AnimationBlock::Record* removal() const {
        const auto& records = block.records();
        const auto found = std::find_if(records.begin(), records.end(), [this](const auto& r) {
            return r.view == &viewer->deleteImageView();
        });
        return found == records.end() ? nullptr : &*found;
    }

    test::TempDir dir;
    ManualRunLoop loop;
    AnimationBlock block{&loop};
    std::shared_ptr<CameraRoll> roll;
    std::shared_ptr<CameraRollViewer> viewer = std::make_shared<CameraRollViewer>(loop);
    std::shared_ptr<NavigationController> navigation;
};

// The confirmation names the photo, warns that it is for good, and makes
// Cancel both the cancel and the default answer; only "Delete Photo" deletes.
TEST_F(ViewerDeletionTest, TheConfirmationSaysWhatGoesAndDefaultsToCancel) {
    viewer->showImage(1);
    const std::string second = roll->files()[1]->file();
    viewer->trash();
    const auto sheet = AlertView::pending();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->kind(), AlertView::Kind::kActionSheet);
    EXPECT_EQ(sheet->title(), "Delete this photo?");
    const std::string name = std::filesystem::path(second).filename().string();
    EXPECT_EQ(sheet->message(),
              "Photo 2 of 3 (" + name + ") will be deleted. This cannot be undone.");
    EXPECT_EQ(sheet->buttons(), (std::vector<std::string>{"Delete Photo", "Cancel"}));
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->cancelButtonIndex(), 1);
    EXPECT_EQ(sheet->defaultButtonIndex(), 1);
    EXPECT_TRUE(sheet->isDestructive(0));
    EXPECT_FALSE(sheet->isDestructive(sheet->defaultButtonIndex()));

    AlertView::answer(sheet->defaultButtonIndex());
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(roll->files().size(), 3u);

    // With nothing shown there is nothing to ask about.
    CameraRollViewer empty(loop);
    empty.trash();
    EXPECT_EQ(AlertView::pending(), nullptr);
}

// The deleted photo is laid over the screen where it was shown and, in one
// recorded 0.75-second block that starts there, fades and shrinks into the
// trash button; it leaves the screen only when the block has played.
TEST_F(ViewerDeletionTest, TheDeletedPhotoIsRecordedShrinkingIntoTheTrash) {
    viewer->showImage(0);
    const Image shown = viewer->imageView().image();
    block.takeRecords();
    viewer->reallyTrash();
    ImageView& leaving = viewer->deleteImageView();
    EXPECT_EQ(leaving.superview(), &viewer->view());
    EXPECT_EQ(viewer->view().subviews().back().get(), &leaving);  // over the toolbar too
    EXPECT_EQ(leaving.image().sharedBitmap(), shown.sharedBitmap());

    const AnimationBlock::Record* record = removal();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, CameraRollViewer::kNoTransition);
    EXPECT_EQ(record->kind, AnimationBlock::Kind::kViewAnimation);
    EXPECT_DOUBLE_EQ(record->duration, 0.75);
    EXPECT_NE(std::find(record->changes.begin(), record->changes.end(),
                        AnimationBlock::Change{&leaving, "alpha"}),
              record->changes.end());
    EXPECT_NE(std::find(record->changes.begin(), record->changes.end(),
                        AnimationBlock::Change{&leaving, "frame"}),
              record->changes.end());
    // From the whole picture, fully opaque ...
    EXPECT_EQ(record->fromFrame, viewer->imageView().frame());
    EXPECT_DOUBLE_EQ(record->fromAlpha, 1.0);
    // ... to a faint square on the trash button.
    EXPECT_DOUBLE_EQ(leaving.alpha(), 0.1);
    const Rect target = leaving.frame();
    const Rect& bar = viewer->toolBar().frame();
    const Rect& trash = viewer->trashButton().frame();
    EXPECT_EQ(target.width, 40);
    EXPECT_EQ(target.height, 40);
    EXPECT_FLOAT_EQ(target.x + target.width / 2, bar.x + trash.x + trash.width / 2);
    EXPECT_FLOAT_EQ(target.y + target.height / 2, bar.y + trash.y + trash.height / 2);

    loop.advance(0.75 - 1e-6);
    EXPECT_EQ(leaving.superview(), &viewer->view());  // still playing
    loop.advance(2e-6);
    EXPECT_EQ(leaving.superview(), nullptr);
    EXPECT_FALSE(leaving.image());
    EXPECT_DOUBLE_EQ(leaving.alpha(), 1.0);

    // A second deletion starts again from the whole picture, not from where the first ended.
    block.takeRecords();
    viewer->reallyTrash();
    record = removal();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->fromFrame, viewer->imageView().frame());
    EXPECT_DOUBLE_EQ(record->fromAlpha, 1.0);
}

}  // namespace
}  // namespace kestrel
