#include "sim/SimulatedCamera.h"

#include "core/imaging/CairoSurface.h"
#include "core/imaging/ImageResizer.h"
#include "core/imaging/Rotation.h"
#include "core/imaging/Sharpness.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

namespace kestrel {

SimulatedCamera::SimulatedCamera(RunLoop& loop, std::function<int()> deviceOrientation,
                                 int stillWidth, int stillHeight)
    : loop_(&loop),
      deviceOrientation_(std::move(deviceOrientation)),
      stillWidth_(stillWidth),
      stillHeight_(stillHeight) {}

SimulatedCamera::~SimulatedCamera() {
    if (frameClock_) loop_->cancel(frameClock_);
}

class SimulatedCamera::KeptFrame final : public FrameRing::Frame {
public:
    KeptFrame(SceneMoment moment, int width, int height, int orientation)
        : moment_(moment), width_(width), height_(height), orientation_(orientation) {}
    Image picture() const override { return render(moment_, width_, height_, orientation_); }

private:
    SceneMoment moment_;
    int width_;
    int height_;
    int orientation_;
};

void SimulatedCamera::setFrameObserver(std::function<void()> observer) {
    frameObserver_ = std::move(observer);
    updateFrameClock();
}

void SimulatedCamera::updateFrameClock() {
    const bool wanted = frameObserver_ || ring_;
    if (wanted && !frameClock_) {
        frameClock_ = loop_->scheduleRepeating(RunLoop::seconds(1 / kFrameRate), [this] { frameTick(); });
    } else if (!wanted && frameClock_) {
        loop_->cancel(std::exchange(frameClock_, 0));
    }
}

void SimulatedCamera::frameTick() {
    if (ring_) {
        const RunLoop::Duration now = loop_->now();
        const std::size_t bytes =
            static_cast<std::size_t>(stillWidth_) * static_cast<std::size_t>(stillHeight_) * 3 / 2;
        ring_->add(now, bytes,
                   std::make_shared<KeptFrame>(sceneNow(), stillWidth_, stillHeight_, stillOrientation()));
        if (ringSharpness_)
            ring_->noteSharpness(now, Sharpness::of(render(kPreviewWidth, kPreviewHeight).bitmap()));
    }
    // A copy: the observer may stop observing when told.
    if (const auto told = frameObserver_) told();
}

void SimulatedCamera::keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) {
    ringSharpness_ = sharpness;
    if (!budget) {
        ring_.reset();
    } else if (!ring_ || ring_->budget().maxBytes != budget->maxBytes ||
               ring_->budget().span != budget->span || ring_->budget().maxFrames != budget->maxFrames) {
        ring_ = std::make_unique<FrameRing>(*budget);
    }
    updateFrameClock();
}

void SimulatedCamera::takeStill(const StillChoice& choice, StillHandler handler) {
    std::optional<FrameRing::Kept> kept;
    if (ring_ && choice.rule == StillChoice::Rule::kNearest) kept = ring_->nearest(choice.moment);
    if (ring_ && choice.rule == StillChoice::Rule::kSharpest) kept = ring_->sharpest(choice.from, choice.to);
    if (!kept) {
        takePicture([this, handler = std::move(handler)](const Image& picture) {
            handler(picture, loop_->now());
        });
        return;
    }
    loop_->schedule(RunLoop::seconds(kConversionLag), [this, kept = *kept, handler = std::move(handler)] {
        ++picturesTaken_;
        handler(kept.frame->picture(), kept.time);
    });
}

int SimulatedCamera::stillOrientation() const {
    const int held = deviceOrientation_ ? deviceOrientation_() : 1;
    return orientationFor(held, mountRotation_);
}

int SimulatedCamera::orientationFor(int deviceOrientation, int mount) {
    return Rotation::imageOrientation(
        Rotation::photo(mount, Rotation::deviceTurn(deviceOrientation)));
}

void SimulatedCamera::takePicture(PictureHandler handler) {
    loop_->schedule(RunLoop::seconds(kShutterLag), [this, handler = std::move(handler)] {
        ++picturesTaken_;
        handler(still(stillOrientation()));
    });
}

Image SimulatedCamera::still(int orientation) const {
    // The scene as the user sees it, drawn the way the sensor lies: turned
    // back by the orientation that makes it upright again.
    return render(stillWidth_, stillHeight_, orientation);
}

Image SimulatedCamera::previewFrame() const {
    // What the sensor sees as it lies, turned for the window as a real
    // camera's live frames are: the scene is upright in the window when the
    // window is turned with the device.
    const int held = deviceOrientation_ ? deviceOrientation_() : 1;
    const Image sensor =
        render(kPreviewWidth, kPreviewHeight, orientationFor(held, mountRotation_));
    const int shown = Rotation::preview(mountRotation_, screenTurn_);
    return ImageResizer::colorMatch(
        sensor.withOrientation(Rotation::imageOrientation(shown, mirrored_)), Size{0, 0});
}

Size SimulatedCamera::previewShape() const {
    const bool turned = Rotation::preview(mountRotation_, screenTurn_) % 180 != 0;
    return turned ? Size{kPreviewHeight, kPreviewWidth} : Size{kPreviewWidth, kPreviewHeight};
}

Image SimulatedCamera::render(int width, int height) const {
    return render(width, height, Image::kUp);
}

SimulatedCamera::SceneMoment SimulatedCamera::sceneNow() const {
    return SceneMoment{RunLoop::toSeconds(loop_->now()), device_, objectPosition_, scene_, picture_};
}

void SimulatedCamera::setPicture(const Image& picture) {
    picture_ = picture ? std::make_shared<const Image>(ImageResizer::colorMatch(picture, Size{0, 0}))
                       : nullptr;
}

Image SimulatedCamera::render(int width, int height, int orientation) const {
    return render(sceneNow(), width, height, orientation);
}

Image SimulatedCamera::render(const SceneMoment& moment, int width, int height, int orientation) {
    Bitmap bitmap(width, height);
    {
        CairoSurface surface(bitmap);
        cairo_t* cr = cairo_create(surface.get());
        const bool sideways = Image::swapsSides(orientation);
        const double w = sideways ? height : width;  // the upright scene's size
        const double h = sideways ? width : height;
        // From the upright scene to the stored pixels.
        switch (orientation) {
            case Image::kRight:  // stored turned anticlockwise: (x, y) → (y, w − x)
                cairo_translate(cr, 0, w);
                cairo_rotate(cr, -std::numbers::pi / 2);
                break;
            case Image::kLeft:  // stored turned clockwise: (x, y) → (h − y, x)
                cairo_translate(cr, h, 0);
                cairo_rotate(cr, std::numbers::pi / 2);
                break;
            case Image::kDown:
                cairo_translate(cr, w, h);
                cairo_scale(cr, -1, -1);
                break;
            default:
                break;
        }
        if (moment.device == Device::kFront) {  // the front camera sees the scene mirrored
            cairo_translate(cr, w, 0);
            cairo_scale(cr, -1, 1);
        }
        const double seconds = moment.seconds;
        if (moment.scene == Scene::kHandHeld) {
            // The hand sways the camera: the scene a little closer (no edge
            // shows) and shifted.
            const double sway = kSway * w;
            cairo_translate(
                cr, w / 2 + sway * std::sin(2 * std::numbers::pi * seconds / kSwayAcrossPeriod),
                h / 2 + 0.6 * sway * std::sin(2 * std::numbers::pi * seconds / kSwayUpPeriod));
            cairo_scale(cr, 1 + 3 * kSway, 1 + 3 * kSway);
            cairo_translate(cr, -w / 2, -h / 2);
        }
        const bool front = moment.device == Device::kFront;
        // Sky and hills.
        cairo_set_source_rgb(cr, front ? 0.55 : 0.45, 0.65, 0.9);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0.25, front ? 0.6 : 0.55, 0.25);
        cairo_move_to(cr, 0, h * 0.7);
        cairo_curve_to(cr, w * 0.3, h * 0.55, w * 0.6, h * 0.8, w, h * 0.62);
        cairo_line_to(cr, w, h);
        cairo_line_to(cr, 0, h);
        cairo_close_path(cr);
        cairo_fill(cr);
        // A house with tiled walls: fine detail for the codecs and the zoom.
        const double hx = w * 0.55, hy = h * 0.45, hw = w * 0.25, hh = h * 0.25;
        const double tile = std::max(2.0, w / 200);
        for (double y = hy; y < hy + hh; y += tile)
            for (double x = hx; x < hx + hw; x += tile) {
                const bool dark =
                    (static_cast<int>((x - hx) / tile) + static_cast<int>((y - hy) / tile)) % 2 ==
                    0;
                cairo_set_source_rgb(cr, dark ? 0.7 : 0.85, dark ? 0.35 : 0.5, 0.3);
                cairo_rectangle(cr, x, y, tile, tile);
                cairo_fill(cr);
            }
        cairo_set_source_rgb(cr, 0.4, 0.15, 0.1);
        cairo_move_to(cr, hx - hw * 0.05, hy);
        cairo_line_to(cr, hx + hw / 2, hy - hh * 0.5);
        cairo_line_to(cr, hx + hw * 1.05, hy);
        cairo_close_path(cr);
        cairo_fill(cr);
        // A clock face and the time.
        const double cx = w * 0.2, cy = h * 0.25, radius = h * 0.12;
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_arc(cr, cx, cy, radius, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, radius * 0.06);
        const double hand =
            2 * std::numbers::pi * std::fmod(seconds, 60.0) / 60.0 - std::numbers::pi / 2;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + radius * 0.9 * std::cos(hand), cy + radius * 0.9 * std::sin(hand));
        cairo_stroke(cr);
        char text[32];
        const long total = static_cast<long>(seconds);
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600 % 24, total / 60 % 60,
                      total % 60);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, h * 0.06);
        cairo_move_to(cr, cx - radius, cy + radius * 1.6);
        cairo_show_text(cr, text);
        // The ball that moves when asked.
        cairo_set_source_rgb(cr, 0.9, 0.1, 0.1);
        cairo_arc(cr, w * std::fmod(moment.objectPosition, 1.0), h * 0.82, h * 0.06, 0,
                  2 * std::numbers::pi);
        cairo_fill(cr);
        // Someone walking through the picture.
        const double sinceFirst = seconds - kFirstCrossing;
        if (moment.scene == Scene::kMoving && sinceFirst >= 0) {
            const double progress = std::fmod(sinceFirst, kCrossingPeriod) / kCrossingTime;
            if (progress < 1) {
                const double figure = w * 0.18;
                const double x = -figure + progress * (w + figure);
                cairo_set_source_rgb(cr, 0.15, 0.12, 0.2);
                cairo_rectangle(cr, x, h * 0.3, figure, h * 0.6);
                cairo_fill(cr);
                cairo_arc(cr, x + figure / 2, h * 0.22, figure * 0.35, 0, 2 * std::numbers::pi);
                cairo_fill(cr);
            }
        }
        if (moment.picture) {
            // A photograph in front of the lens, filling the view.
            const Bitmap& photo = moment.picture->bitmap();
            const CairoSurface source(photo);
            const double scale = std::max(w / photo.width(), h / photo.height());
            cairo_save(cr);
            cairo_translate(cr, (w - photo.width() * scale) / 2, (h - photo.height() * scale) / 2);
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, source.get(), 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        // The lamp off: everything in the room as dim as it gets.
        if (moment.scene == Scene::kLightSwitch &&
            (sinceFirst < 0 || std::fmod(sinceFirst, kCrossingPeriod) >= kLampOnTime)) {
            cairo_set_source_rgba(cr, 0, 0, 0, 1 - kDimLight);
            cairo_paint(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface.get());
    }
    return Image(std::move(bitmap), orientation);
}

}  // namespace kestrel
