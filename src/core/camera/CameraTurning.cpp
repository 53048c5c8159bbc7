#include "core/camera/CameraTurning.h"

#include "core/imaging/Rotation.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/AnimationBlock.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace kestrel {
namespace {

constexpr int kFade = 3;
// Half a turn in the platform's single-precision angles.
constexpr double kPi = static_cast<float>(std::numbers::pi);

// The controls' angle for an orientation number 1–4.
double angleFor(int held) {
    return held == 1 ? 0 : held == 2 ? kPi : held == 3 ? kPi / 2 : 3 * kPi / 2;
}

}  // namespace

CameraTurning::CameraTurning(CameraPicker& picker, CameraViewManager& views,
                             const ScreenLayout& layout, std::function<int()> deviceOrientation)
    : picker_(&picker),
      views_(&views),
      layout_(&layout),
      deviceOrientation_(std::move(deviceOrientation)) {}

void CameraTurning::setScreenTurn(int degrees) {
    const int turn = Rotation::normalized(degrees);
    if (turn == screenTurn_) return;
    screenTurn_ = turn;
    turnPreview();
    rotate(true);
}

int CameraTurning::controlOrientation() const {
    const int held = orientation();
    if (held < 1 || held > 4) return held;  // no usable orientation: nothing turns
    return Rotation::orientationNumber(Rotation::controls(Rotation::deviceTurn(held), screenTurn_));
}

int CameraTurning::photoOrientation() const {
    const Camera1Data* settings = Camera1Data::data();
    const bool mirrored = picker_->facesUser() && settings && settings->mirrorFrontPhotos();
    return Rotation::imageOrientation(
        Rotation::photo(picker_->mountRotation(), Rotation::deviceTurn(orientation())), mirrored);
}

void CameraTurning::turnPreview() {
    picker_->setPreviewOrientation(screenTurn_, picker_->facesUser());
}

void CameraTurning::rotate(bool animated) {
    const int held = controlOrientation();
    if (views_->saveImageView->superview()) placePicture(held, animated);
    if (held < 1 || held > 4) return;
    turned_ = true;
    placePanels(held);
}

void CameraTurning::layoutChanged() {
    if (turned_) rotate(false);
}

Size CameraTurning::reviewPixels() const {
    // The box the review draws the picture in, as the device is held now
    // (turned with it for a quarter turn), in the display's pixels: a copy of
    // exactly that size is drawn without scaling.
    const int held = controlOrientation();
    const Rect area =
        held == 3 || held == 4 ? layout_->turnedPictureArea() : layout_->pictureArea();
    const double ratio = layout_->pixelRatio();
    return Size{static_cast<float>(std::round(area.width * ratio)),
                static_cast<float>(std::round(area.height * ratio))};
}

void CameraTurning::placePicture(int held, bool animated) {
    ImageView& picture = *views_->saveImageView;
    AnimationBlock::animate(&picture, animated, kFade, [&] {
        picture.setContentMode(ImageView::ContentMode::kAspectFit);
        switch (held) {
            case 1:
            case 2:
                picture.setTransform(View::Transform::rotated(held == 1 ? 0 : kPi));
                picture.setFrame(layout_->pictureArea());
                break;
            case 3:
            case 4:
                // Framed unturned in the picture's own sideways box, then
                // turned into the screen's area.
                picture.setTransform(View::Transform::rotated(0));
                picture.setFrame(layout_->turnedPictureArea());
                picture.setTransform(View::Transform::rotated(held == 3 ? kPi / 2 : 3 * kPi / 2));
                break;
            default:
                break;
        }
    });
}

void CameraTurning::placePanels(int held) {
    const double angle = angleFor(held);
    CameraHoverView& panel = *views_->sensorView;
    View& readout = *views_->zoomView;
    Label& label = *views_->saveLabel;
    panel.setTransform(View::Transform::rotated(angle));
    panel.setCenter(held <= 2   ? layout_->sensorPanelCentre()
                    : held == 3 ? layout_->sensorPanelCentreHeldLeft()
                                : layout_->sensorPanelCentreHeldRight());
    // The read-out 40 points from the panel, towards the middle of the screen.
    const Point c = panel.center();
    readout.setTransform(View::Transform::rotated(angle));
    readout.setCenter(held <= 2   ? Point{c.x, c.y - 40}
                      : held == 3 ? Point{c.x + 40, c.y}
                                  : Point{c.x - 40, c.y});
    if (held <= 2) {
        label.setTransform(View::Transform::rotated(angle));
        label.setAlignment(Label::Alignment::kCenter);
        label.setFrame(layout_->saveLabel());
    } else {
        label.setAlignment(held == 3 ? Label::Alignment::kRight : Label::Alignment::kLeft);
        label.setFrame(layout_->turnedSaveLabel());
        label.setTransform(View::Transform::rotated(angle));
    }
}

}  // namespace kestrel
