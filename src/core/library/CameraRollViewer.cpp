#include "core/library/CameraRollViewer.h"

#include "core/exif/ExifReader.h"
#include "core/exif/PhotoOrigin.h"
#include "core/imaging/ImageDraw.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/JpegCodec.h"
#include "core/platform/NotificationCenter.h"
#include "core/store/DirectoryUtils.h"
#include "core/store/ImageSaver.h"
#include "core/ui/AlertView.h"
#include "core/ui/AnimationBlock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <filesystem>

namespace kestrel {

// The screen under the navigation bar: the photo, and the toolbar at the bottom.
CameraRollViewer::CameraRollViewer(RunLoop& loop)
    : ViewController(std::make_shared<View>(Rect{0, 0, 320, 436})),
      loop_(&loop),
      playTimer_(loop),
      imageView_(std::make_shared<ImageView>(Rect{0, 0, 320, 392})),
      deleteImageView_(std::make_shared<ImageView>(Rect{0, 0, 320, 392})),
      infoLine_(std::make_shared<Label>(Rect{0, 370, 320, 22})),
      toolBar_(std::make_shared<View>(Rect{0, 392, 320, 44})) {
    view().setBackgroundColor(Color{0, 0, 0, 1});
    imageView_->setContentMode(ImageView::ContentMode::kAspectFit);
    deleteImageView_->setContentMode(ImageView::ContentMode::kAspectFit);
    view().addSubview(imageView_);
    // Light on a dark strip, readable over any photo.
    infoLine_->setFont(Font{12, false});
    infoLine_->setTextColor(Color{1, 1, 1, 1});
    infoLine_->setBackgroundColor(Color{0, 0, 0, 0.6});
    infoLine_->setAlignment(Label::Alignment::kCenter);
    infoLine_->setHidden(true);
    view().addSubview(infoLine_);
    toolBar_->setBackgroundColor(Color{0.1, 0.1, 0.1, 0.9});
    view().addSubview(toolBar_);
    previousButton_ = toolbarButton(20, "Toolbar_Previous.png", &CameraRollViewer::previous);
    playButton_ = toolbarButton(100, "Toolbar_Play.png", &CameraRollViewer::play);
    nextButton_ = toolbarButton(180, "Toolbar_Next.png", &CameraRollViewer::next);
    trashButton_ = toolbarButton(260, "Toolbar_Trash.png", &CameraRollViewer::trash);
    setDoneButton([this] { done(); });
}

std::shared_ptr<Button> CameraRollViewer::toolbarButton(float x, const std::string& image,
                                                        void (CameraRollViewer::*action)()) {
    auto button = std::make_shared<Button>(Rect{x, 0, 40, 44});
    button->setImage(image, Button::kNormal);
    button->setAction([this, action](Button&) { (this->*action)(); });
    toolBar_->addSubview(button);
    return button;
}

void CameraRollViewer::viewDidLoad() {}

void CameraRollViewer::layOut(const ScreenLayout& layout) {
    view().setFrame(layout.navigationContent());
    imageView_->setFrame(layout.viewerPicture());
    deleteImageView_->setFrame(layout.viewerPicture());
    infoLine_->setFrame(layout.viewerInfoLine());
    const Rect bar = layout.viewerToolbar();
    toolBar_->setFrame(bar);
    // The four buttons evenly spread, each in the middle of its quarter.
    const std::shared_ptr<Button> buttons[] = {previousButton_, playButton_, nextButton_,
                                               trashButton_};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        Rect frame = buttons[i]->frame();
        frame.x = std::round(bar.width * static_cast<float>(2 * i + 1) / 8 - frame.width / 2);
        buttons[i]->setFrame(frame);
    }
    // A picture that covers the display's pixels, however many the window has.
    const Size pixels = layout.viewerPixels();
    const float side = std::max(1.0f, std::min(pixels.width, pixels.height));
    if (side == displaySide_) return;
    displaySide_ = side;
    if (imageView_->image()) showCurrent(kNoTransition);
}

int CameraRollViewer::count() const {
    return cameraRoll_ ? static_cast<int>(cameraRoll_->files().size()) : 0;
}

Size CameraRollViewer::displaySize(Size size, float side) {
    if (size.width <= 0 || size.height <= 0) return Size{};
    if (size.width > size.height) return Size{size.width * side / size.height, side};
    return Size{side, size.height * side / size.width};
}

Image CameraRollViewer::previewImage(const std::string& path, float side) {
    std::optional<Image> picture;
    const auto bytes = ImageFile::readBytes(path);
    if (bytes && ImageFile::formatOf(path) == ImageFile::Format::kJpeg) {
        if (const auto header = JpegCodec::readHeader(*bytes)) {
            // Upright size → display size → the stored size it needs at least.
            const bool sideways = Image::swapsSides(header->orientation);
            const Size upright =
                sideways
                    ? Size{static_cast<float>(header->height), static_cast<float>(header->width)}
                    : Size{static_cast<float>(header->width), static_cast<float>(header->height)};
            const Size target = displaySize(upright, side);
            const auto w = static_cast<int>(std::ceil(sideways ? target.height : target.width));
            const auto h = static_cast<int>(std::ceil(sideways ? target.width : target.height));
            picture = JpegCodec::decodeAtLeast(*bytes, w, h);
        }
    } else if (bytes) {
        picture = ImageFile::read(path);
    }
    if (!picture || !*picture) return Image();
    // Never more pixels than the photo has (a large display would only hold
    // a small photo blown up), but as many as the phone screen's.
    const Size own = picture->size();
    const float shown = std::min(side, std::max(std::min(own.width, own.height), kDisplaySide));
    return ImageDraw::simpleResize(*picture, displaySize(own, shown));
}

std::optional<std::string> CameraRollViewer::infoText(const std::string& path) {
    const auto comment = ExifReader(path).userComment();
    if (!comment) return std::nullopt;
    // Shown as Kestrel wrote it, on one line of plain characters.
    const auto reason = PhotoOrigin::reasonOf(*comment);
    if (!reason) return std::nullopt;
    return std::string(PhotoOrigin::kCommentPrefix) + *reason;
}

void CameraRollViewer::showImage(int index) {
    current_ = index;
    showCurrent(kNoTransition);
}

void CameraRollViewer::showCurrent(int kind) {
    const int n = count();
    if (n >= 1 && current_ > n - 1) current_ = n - 1;
    if (current_ < 0) current_ = 0;
    if (n == 0) {
        imageView_->setImage(Image());
        infoLine_->setHidden(true);
        return;
    }
    const std::string& file = cameraRoll_->files()[static_cast<std::size_t>(current_)]->file();
    const Image image = previewImage(file, displaySide_);
    const auto info = infoText(file);
    infoLine_->setText(info.value_or(""));
    infoLine_->setHidden(!info);
    if (kind == kNoTransition) {
        imageView_->setImage(image);
    } else {
        AnimationBlock::animate(imageView_.get(), true, kind, [&] { imageView_->setImage(image); });
    }
    char title[48];
    std::snprintf(title, sizeof title, "%d of %d", current_ + 1, n);
    setTitle(title);
    updateButtons();
}

void CameraRollViewer::updateButtons() {
    const bool list = cameraRoll_ != nullptr;
    previousButton_->setEnabled(list && current_ > 0);
    nextButton_->setEnabled(list && current_ < count() - 1);
    playButton_->setEnabled(list);
    trashButton_->setEnabled(list);
}

void CameraRollViewer::previous() {
    if (current_ <= 0) return;
    --current_;
    showCurrent(kRevealFromLeft);
}

void CameraRollViewer::next() {
    if (current_ >= count() - 1) return;
    ++current_;
    showCurrent(kRevealFromRight);
}

// Whether the touch began on the toolbar (its buttons take their own).
static bool onToolbar(const Touch& touch, const View& toolbar) {
    for (const View* v = touch.view; v; v = v->superview())
        if (v == &toolbar) return true;
    return false;
}

void CameraRollViewer::touchesBegan(const Touch& touch) {
    if (!onToolbar(touch, *toolBar_)) touchesBegan(touch.locationIn(view()));
}

void CameraRollViewer::touchesEnded(const Touch& touch) {
    if (!onToolbar(touch, *toolBar_)) touchesEnded(touch.locationIn(view()));
}

void CameraRollViewer::touchesEnded(Point point) {
    const auto dx = static_cast<int>(point.x - startPoint_.x);
    const auto dy = static_cast<int>(point.y - startPoint_.y);
    if (std::abs(dx) <= std::abs(dy)) return;
    if (dx > 0)
        previous();
    else
        next();
}

void CameraRollViewer::play() {
    if (playing()) {
        stopPlayback();
        return;
    }
    playTimer_.startRepeating(RunLoop::seconds(kSlideSeconds), [this] { playTimerFired(); });
    playButton_->setImage("Toolbar_Pause.png", Button::kNormal);
}

void CameraRollViewer::playTimerFired() {
    if (current_ >= count() - 1) return;  // stays on the last one until stopped
    ++current_;
    showCurrent(kFade);
}

void CameraRollViewer::stopPlayback() {
    if (!playing()) return;
    playTimer_.stop();
    playButton_->setImage("Toolbar_Play.png", Button::kNormal);
}

void CameraRollViewer::trash() {
    const int n = count();
    if (current_ < 0 || current_ >= n) return;  // nothing shown, nothing to delete
    const std::string file =
        std::filesystem::path(cameraRoll_->files()[static_cast<std::size_t>(current_)]->file())
            .filename()
            .string();
    char message[160];
    std::snprintf(message, sizeof message,
                  "Photo %d of %d (%s) will be deleted. This cannot be undone.", current_ + 1, n,
                  file.c_str());
    AlertView::show(std::make_shared<AlertView>(AlertView::Kind::kActionSheet, "Delete this photo?",
                                                message, "Cancel", "Delete Photo"),
                    [this](int index) { actionSheetClicked(index); });
}

Rect CameraRollViewer::trashTarget() const {
    const Rect& bar = toolBar_->frame();
    const Rect& button = trashButton_->frame();
    const float side = kTrashSide;
    return Rect{bar.x + button.x + (button.width - side) / 2,
                bar.y + button.y + (button.height - side) / 2, side, side};
}

void CameraRollViewer::actionSheetClicked(int buttonIndex) {
    if (buttonIndex == 0) reallyTrash();
}

void CameraRollViewer::reallyTrash() {
    const int c = current_;
    const int n = count();
    if (c < 0 || c >= n) return;
    const std::string photo = cameraRoll_->files()[static_cast<std::size_t>(c)]->file();
    const std::string thumbnail = ImageSaver::getThumbnailFile(photo);
    if (!FileUtils::fileExists(photo) || !FileUtils::fileExists(thumbnail)) return;
    FileUtils::deleteFile(photo);
    FileUtils::deleteFile(thumbnail);
    cameraRoll_->removeFile(static_cast<std::size_t>(c));
    // The deleted photo lies over everything, the toolbar too, so that it is
    // seen going into the trash button.
    deleteImageView_->setImage(imageView_->image());
    deleteImageView_->setFrame(imageView_->frame());
    deleteImageView_->setAlpha(1.0);
    view().addSubview(deleteImageView_);
    view().bringSubviewToFront(deleteImageView_.get());
    showCurrent(kNoTransition);
    if (n == c + 1) updatePosterImage();
    if (count() == 0) {
        deleteImageView_->removeFromSuperview();
        deleteImageView_->setImage(Image());
        if (NavigationController* navigation = navigationController())
            navigation->popViewController(true);
        return;
    }
    // The deleted photo shrinks into the trash button and fades, over the one now shown.
    ImageView* leaving = deleteImageView_.get();
    AnimationBlock::animate(
        leaving, true, kNoTransition,
        [leaving, target = trashTarget()] {
            leaving->setAlpha(0.1);
            leaving->setFrame(target);
        },
        [leaving] {
            leaving->removeFromSuperview();
            leaving->setImage(Image());
            leaving->setAlpha(1.0);
        });
}

void CameraRollViewer::updatePosterImage() {
    if (!cameraRoll_) return;
    const std::string poster = cameraRoll_->getPosterPath();
    if (imageView_->image()) {
        ImageSaver::savePoster(ImageDraw::drawPosterImage(imageView_->image(), Size{55, 55}),
                               poster);
    } else if (FileUtils::fileExists(poster)) {
        FileUtils::deleteFile(poster);
    }
}

void CameraRollViewer::done() {
    stopPlayback();
    NotificationCenter::defaultCenter().postNotificationName("Flip", this);
}

void CameraRollViewer::viewWillDisappear(bool) {
    stopPlayback();
    imageView_->setImage(Image());
    deleteImageView_->setImage(Image());
}

}  // namespace kestrel
