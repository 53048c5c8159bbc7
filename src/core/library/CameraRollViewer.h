#pragma once

#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"
#include "core/store/CameraRoll.h"
#include "core/ui/Button.h"
#include "core/ui/ImageView.h"
#include "core/ui/Label.h"
#include "core/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// One photo of the store at a time, titled "%d of %d", with a toolbar to
// step back and forth, play a 5-second slideshow and delete the photo; a
// horizontal swipe also steps. It works on the store's own list of photos,
// so a deletion shows in the album without reading the disk again. A photo
// Kestrel took says in an info line over the bottom of the picture what
// took it (its EXIF comment); other photos show no line.
class CameraRollViewer : public ViewController {
public:
    static constexpr double kSlideSeconds = 5.0;
    static constexpr float kDisplaySide = 320;
    static constexpr float kTrashSide = 40;
    // Transition kinds of the animation component.
    static constexpr int kNoTransition = 1, kFade = 3, kRevealFromRight = 12, kRevealFromLeft = 13;

    explicit CameraRollViewer(RunLoop& loop);

    void viewDidLoad() override;
    // The photo over the whole width and height under the navigation bar,
    // the toolbar across the bottom; the photo shown is decoded again for a
    // display of another size.
    void layOut(const ScreenLayout& layout) override;
    void viewWillDisappear(bool animated) override;

    void setCameraRoll(std::shared_ptr<CameraRoll> roll) { cameraRoll_ = std::move(roll); }
    void showImage(int index);
    void showCurrent(int kind);
    // The display image: the shorter side `side` pixels (320 on the phone
    // screen: what covers its picture), the shape kept, no larger than the
    // photo unless it is smaller than the phone's; a JPEG is decoded at the
    // smallest DCT scale that still covers that size.
    static Image previewImage(const std::string& path, float side = kDisplaySide);
    // The display size for a picture of `size`.
    static Size displaySize(Size size, float side = kDisplaySide);
    // What the info line says of the photo at `path`: its comment when
    // Kestrel wrote it ("Kestrel: timer 10 s"), else none (no line).
    static std::optional<std::string> infoText(const std::string& path);
    // The shorter side of the display images for the screen now.
    float displaySide() const { return displaySide_; }

    void previous();
    void next();
    void play();
    void trash();
    void done();
    void playTimerFired();
    void stopPlayback();
    void reallyTrash();
    void updatePosterImage();
    void updateButtons();
    // Where a deleted photo goes as it leaves, in the screen's own
    // coordinates: a square on the trash button.
    Rect trashTarget() const;
    void actionSheetClicked(int buttonIndex);
    void touchesBegan(Point point) { startPoint_ = point; }
    void touchesEnded(Point point);
    // Touches on the photo (not on the toolbar) come here from the view: a swipe steps.
    void touchesBegan(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;

    int current() const { return current_; }
    int count() const;
    bool playing() const { return playTimer_.isRunning(); }
    ImageView& imageView() { return *imageView_; }
    ImageView& deleteImageView() { return *deleteImageView_; }
    Label& infoLine() { return *infoLine_; }
    Button& previousButton() { return *previousButton_; }
    Button& playButton() { return *playButton_; }
    Button& nextButton() { return *nextButton_; }
    Button& trashButton() { return *trashButton_; }
    View& toolBar() { return *toolBar_; }

private:
    std::shared_ptr<Button> toolbarButton(float x, const std::string& image,
                                          void (CameraRollViewer::*action)());

    RunLoop* loop_;
    std::shared_ptr<CameraRoll> cameraRoll_;
    int current_ = 0;
    Timer playTimer_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<ImageView> deleteImageView_;
    std::shared_ptr<Label> infoLine_;
    std::shared_ptr<View> toolBar_;
    std::shared_ptr<Button> previousButton_, playButton_, nextButton_, trashButton_;
    Point startPoint_{};
    float displaySide_ = kDisplaySide;
};

}  // namespace kestrel
