#include "adapters/gst/GstCameraPicker.h"

#include "adapters/gst/GstCameraStream.h"
#include "adapters/gst/GstInit.h"
#include "adapters/gst/GstRecentFrames.h"
#include "core/imaging/Rotation.h"
#include "core/platform/Log.h"

#define GST_USE_UNSTABLE_API  // GstPhotography has no stable API
#include <gst/gst.h>
#include <gst/interfaces/photography.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrel {
namespace {

// The layouts a camera offers that the two branches turn into the working
// one. The working layout itself comes first, so a source that can give it
// is not converted at all.
constexpr const char* kRawFormats =
    "video/x-raw,format=(string){BGRx,BGRA,xRGB,ARGB,RGBx,RGBA,xBGR,ABGR,RGB,BGR,I420,YV12,NV12,"
    "NV21,YUY2,UYVY,YVYU,NV16,NV61,Y42B,Y444,GRAY8}";

double largestRate(const GValue* rate) {
    if (!rate) return -1;  // says nothing: counts as usable
    if (GST_VALUE_HOLDS_FRACTION(rate))
        return static_cast<double>(gst_value_get_fraction_numerator(rate)) /
               std::max(1, gst_value_get_fraction_denominator(rate));
    if (GST_VALUE_HOLDS_FRACTION_RANGE(rate)) return largestRate(gst_value_get_fraction_range_max(rate));
    if (GST_VALUE_HOLDS_LIST(rate)) {
        double best = 0;
        for (guint i = 0; i < gst_value_list_get_size(rate); ++i)
            best = std::max(best, largestRate(gst_value_list_get_value(rate, i)));
        return best;
    }
    return 0;
}

}  // namespace

GstCameraPicker::GstCameraPicker(RunLoop& loop, std::vector<CameraSource> sources)
    : loop_(&loop), sources_(std::move(sources)), timeout_(loop), startTimeout_(loop) {
    initGstreamer();
}

GstCameraPicker::~GstCameraPicker() {
    close();
    recentFrames_.reset();
}

const CameraSource* GstCameraPicker::sourceFor(Device device) const {
    for (const CameraSource& source : sources_) {
        const bool front = source.facing == CameraSource::Facing::kFront;
        if (front == (device == Device::kFront)) return &source;
    }
    return nullptr;
}

const CameraSource* GstCameraPicker::source() const {
    return running_ ? sourceFor(device_) : nullptr;
}

bool GstCameraPicker::isCameraDeviceAvailable(Device device) const {
    return sourceFor(device) != nullptr;
}

bool GstCameraPicker::isFlashAvailable(Device device) const {
    return running_ && device == device_ && photography_ &&
           (gst_photography_get_capabilities(GST_PHOTOGRAPHY(photography_)) &
            GST_PHOTOGRAPHY_CAPS_FLASH) != 0;
}

void GstCameraPicker::logProblem() const {
    const CameraSource* source = sourceFor(device_);
    Log::warning("camera: " + (source ? source->name : std::string("the camera")) + ": " +
                 problem_.value_or("no camera"));
}

bool GstCameraPicker::start(std::chrono::milliseconds timeout) {
    if (!open()) return false;
    std::shared_ptr<GstCameraStream> shared = shared_;
    std::unique_lock lock(shared->mutex);
    const bool settled = shared->changed.wait_for(
        lock, timeout, [&] { return shared->firstFrame || shared->failure.has_value(); });
    const std::string name = sourceFor(device_)->name;
    // A source that ended right after its first frames has started: its end
    // comes by the loop like any later one.
    std::optional<std::string> failure = shared->firstFrame ? std::nullopt : shared->failure;
    lock.unlock();
    if (!settled)
        failure = "no picture from " + name + " within " +
                  std::to_string(timeout.count()) + " ms";
    if (failure) {
        close();
        problem_ = *failure;
        return false;
    }
    nowRunning();
    return true;
}

void GstCameraPicker::nowRunning() {
    running_ = true;
    problem_.reset();
    applyFlash();
    Log::debug("camera: " + sourceFor(device_)->name + " (" + sourceFor(device_)->how + ")");
}

bool GstCameraPicker::startInBackground(std::chrono::milliseconds timeout) {
    if (!open()) return false;
    starting_ = true;
    const std::string name = sourceFor(device_)->name;
    startTimeout_.start(timeout, [this, name, timeout] {
        if (!starting_) return;
        close();
        problem_ = "no picture from " + name + " within " + std::to_string(timeout.count()) + " ms";
        logProblem();
        if (availability_) availability_();
    });
    return true;
}

void GstCameraPicker::firstFrameCame() {
    if (!starting_) return;  // a blocking start() has seen it already
    starting_ = false;
    startTimeout_.stop();
    nowRunning();
    if (availability_) availability_();
}

void GstCameraPicker::tellAvailabilityLater() {
    loop_->post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock() && availability_) availability_();
    });
}

void GstCameraPicker::replaceSources(std::vector<CameraSource> sources) {
    close();
    sources_ = std::move(sources);
    if (!sourceFor(device_)) device_ = Device::kRear;
    if (!startInBackground()) {
        logProblem();
        tellAvailabilityLater();
    }
}

bool GstCameraPicker::open() {
    close();
    const CameraSource* source = sourceFor(device_);
    if (!source) {
        problem_ = "No camera found";
        return false;
    }
    // The live view's branch scales before converting (fewer pixels to
    // convert), in a thread of its own: its sink keeps the frames' times,
    // which must not hold up the source (a PipeWire stream then stops giving
    // frames to the still branch). The still branch is closed at its
    // entrance until a still is asked for, then converts in a thread of its
    // own, so that the source is never held up by a still either.
    const std::string description =
        source->description + " ! capsfilter name=kestrel_format caps=\"" + kRawFormats +
        "\" ! tee name=kestrel_tee "
        "kestrel_tee. ! queue max-size-buffers=2 ! videoscale ! videoconvert ! "
        "capsfilter name=kestrel_preview_size caps-change-mode=delayed caps=\"video/x-raw,format=BGRx,pixel-aspect-ratio=1/1,"
        "width=[1," + std::to_string(kPreviewBox) + "],height=[1," + std::to_string(kPreviewBox) +
        "]\" ! videoflip name=kestrel_preview_flip ! appsink name=kestrel_preview sync=true async=false max-buffers=1 drop=true "
        "kestrel_tee. ! valve name=kestrel_valve drop=true ! queue leaky=downstream "
        "max-size-buffers=1 ! videoconvert n-threads=0 ! video/x-raw,format=BGRx ! "
        "appsink name=kestrel_still sync=false async=false max-buffers=1 drop=false";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (!pipeline || error) {
        problem_ = error ? error->message : "the pipeline cannot be built";
        g_clear_error(&error);
        if (pipeline) gst_object_unref(pipeline);
        return false;
    }
    pipeline_ = pipeline;
    shared_ = std::make_shared<GstCameraStream>();
    shared_->self = shared_;
    shared_->loop = loop_;
    shared_->stillMemory = stillMemory_;
    shared_->owner = this;
    shared_->frameObserved = frameObserver_ != nullptr;
    shared_->valve = gst_bin_get_by_name(GST_BIN(pipeline), "kestrel_valve");
    shared_->format = gst_bin_get_by_name(GST_BIN(pipeline), "kestrel_format");
    // Frames of another camera, or of this one before it stopped, are not
    // the moments of this stream.
    if (recentFrames_)
        recentFrames_ = std::make_shared<GstRecentFrames>(recentFrames_->ring().budget(),
                                                          recentFrames_->measuresSharpness(), stillMemory_);
    shared_->recent = recentFrames_;

    GstCameraStream::attach(pipeline, shared_);
    applyPreviewFlip();
    if (gst_element_set_state(pipeline, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE)
        chooseFormat(pipeline);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::unique_lock lock(shared_->mutex);
        const std::string failure = shared_->failure.value_or("the pipeline does not start");
        lock.unlock();
        close();
        problem_ = failure;
        return false;
    }
    photography_ = gst_bin_get_by_interface(GST_BIN(pipeline), GST_TYPE_PHOTOGRAPHY);
    return true;
}

void GstCameraPicker::chooseFormat(GstElement* pipeline) {
    // The largest size the source offers at a usable frame rate (or the
    // largest of all when none is usable); a source that offers any size
    // (a test source, a PipeWire stream before it connects) is left to choose.
    GstElement* filter = gst_bin_get_by_name(GST_BIN(pipeline), "kestrel_source_format");
    const bool beforeDecoder = filter != nullptr;
    if (!filter) filter = gst_bin_get_by_name(GST_BIN(pipeline), "kestrel_format");
    GstPad* pad = gst_element_get_static_pad(filter, "sink");
    GstCaps* offered = gst_pad_peer_query_caps(pad, nullptr);
    gst_object_unref(pad);
    const GstStructure* best = nullptr;
    long bestArea = 0;
    bool bestUsable = false;
    for (guint i = 0; offered && i < gst_caps_get_size(offered); ++i) {
        const GstStructure* s = gst_caps_get_structure(offered, i);
        const bool raw = gst_structure_has_name(s, "video/x-raw");
        if (!raw && !(beforeDecoder && gst_structure_has_name(s, "image/jpeg"))) continue;
        int w = 0, h = 0;
        if (!gst_structure_get_int(s, "width", &w) || !gst_structure_get_int(s, "height", &h))
            continue;
        const double rate = largestRate(gst_structure_get_value(s, "framerate"));
        const bool usable = rate < 0 || rate >= kUsableFrameRate;
        const long area = long{w} * h;
        if ((usable && !bestUsable) || (usable == bestUsable && area > bestArea)) {
            best = s;
            bestArea = area;
            bestUsable = usable;
        }
    }
    if (best) {
        GstStructure* chosen = gst_structure_copy(best);
        int w = 0, h = 0;
        gst_structure_get_int(best, "width", &w);
        gst_structure_get_int(best, "height", &h);
        const double rate = largestRate(gst_structure_get_value(best, "framerate"));
        GstCaps* caps = gst_caps_new_empty();
        gst_caps_append_structure(caps, chosen);
        if (!beforeDecoder) {
            GstCaps* formats = gst_caps_from_string(kRawFormats);
            GstCaps* both = gst_caps_intersect(caps, formats);
            gst_caps_unref(formats);
            gst_caps_unref(caps);
            caps = both;
        }
        if (!gst_caps_is_empty(caps)) {
            g_object_set(filter, "caps", caps, nullptr);
            Log::debug("camera: the source at " + std::to_string(w) + "x" + std::to_string(h) +
                       (rate > 0 ? " up to " + std::to_string(static_cast<int>(rate)) + " fps" : ""));
        }
        gst_caps_unref(caps);
    }
    if (offered) gst_caps_unref(offered);
    gst_object_unref(filter);
}

void GstCameraPicker::close() {
    if (converter_.joinable()) converter_.join();
    timeout_.stop();
    startTimeout_.stop();
    starting_ = false;
    if (shared_) shared_->owner = nullptr;
    if (photography_) gst_object_unref(std::exchange(photography_, nullptr));
    if (GstElement* pipeline = std::exchange(pipeline_, nullptr)) {
        gst_element_set_state(pipeline, GST_STATE_NULL);  // joins the streaming threads
        gst_object_unref(pipeline);
    }
    shared_.reset();
    running_ = false;
    previewApplied_ = {0, 0};
    previewFlip_ = -1;
    problem_ = "No camera found";
}

void GstCameraPicker::setPreviewPixels(int width, int height) {
    previewWanted_ = {width, height};
    applyPreviewSize();
}

// The live view's frames: up to twice the size the live view draws them at,
// the source's own frames pass untouched (the window scales only the part it
// shows, in less time than this branch takes to scale all of them); larger
// sources are scaled down to cover that size.
// Changing it renegotiates the preview branch only (the still branch and the
// source keep their format); frames already on their way at the old size
// are still let through ("delayed"), or the change would stop the stream.
void GstCameraPicker::applyPreviewSize() {
    const bool turned = previewRotation() % 180 != 0;
    const auto [wantedWidth, wantedHeight] =
        turned ? std::pair{previewWanted_.second, previewWanted_.first} : previewWanted_;
    const auto [sourceWidth, sourceHeight] = sourceSize();
    if (!pipeline_ || wantedWidth <= 0 || wantedHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    const double cover =
        std::max(double(wantedWidth) / sourceWidth, double(wantedHeight) / sourceHeight);
    const double scale = cover >= kPassUntouched ? 1.0 : cover;
    const std::pair size{std::max(1, int(std::lround(sourceWidth * scale))),
                         std::max(1, int(std::lround(sourceHeight * scale)))};
    if (size == previewApplied_) return;
    GstElement* filter = gst_bin_get_by_name(GST_BIN(pipeline_), "kestrel_preview_size");
    if (!filter) return;
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx",
                                        "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, "width",
                                        G_TYPE_INT, size.first, "height", G_TYPE_INT, size.second,
                                        nullptr);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_object_unref(filter);
    previewApplied_ = size;
}

void GstCameraPicker::stopped(const std::string& cause) {
    close();
    problem_ = cause;
    logProblem();
    if (pending_) finish(stillRequest_, Image());
    if (availability_) availability_();
}

void GstCameraPicker::setCameraDevice(Device device) {
    if (device == device_ || !sourceFor(device)) return;
    device_ = device;
    // The window goes on while the other camera starts ("Starting camera…").
    close();
    if (!startInBackground()) logProblem();
    tellAvailabilityLater();
}

void GstCameraPicker::setFlashMode(FlashMode mode) {
    flash_ = mode;
    applyFlash();
}

void GstCameraPicker::applyFlash() {
    if (!isFlashAvailable(device_)) return;
    const GstPhotographyFlashMode flash = flash_ == FlashMode::kOn     ? GST_PHOTOGRAPHY_FLASH_MODE_ON
                                          : flash_ == FlashMode::kAuto ? GST_PHOTOGRAPHY_FLASH_MODE_AUTO
                                                                       : GST_PHOTOGRAPHY_FLASH_MODE_OFF;
    if (!gst_photography_set_flash_mode(GST_PHOTOGRAPHY(photography_), flash))
        Log::warning("camera: the flash mode was refused");
}

void GstCameraPicker::takePicture(PictureHandler handler) {
    pending_ = std::move(handler);
    const unsigned request = ++stillRequest_ == 0 ? ++stillRequest_ : stillRequest_;
    if (!running_) {
        Log::warning("camera: no picture can be taken now: " + problem_.value_or("no camera"));
        loop_->post([this, request, alive = std::weak_ptr<int>(alive_)] {
            if (alive.lock()) finish(request, Image());
        });
        return;
    }
    shared_->stillWanted = request;
    g_object_set(shared_->valve, "drop", FALSE, nullptr);
    timeout_.start(RunLoop::seconds(kStillTimeout), [this, request] {
        Log::warning("camera: the still did not come within " +
                     std::to_string(static_cast<int>(kStillTimeout)) + " s");
        if (shared_) {
            shared_->stillWanted = 0;
            g_object_set(shared_->valve, "drop", TRUE, nullptr);
        }
        finish(request, Image());
    });
}

void GstCameraPicker::keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) {
    recentFrames_ = budget ? std::make_shared<GstRecentFrames>(*budget, sharpness, stillMemory_) : nullptr;
    if (shared_) {
        std::shared_ptr<GstRecentFrames> gone;  // its frames go back outside the lock
        std::lock_guard lock(shared_->mutex);
        gone = std::exchange(shared_->recent, recentFrames_);
    }
}

void GstCameraPicker::takeStill(const StillChoice& choice, StillHandler handler) {
    // The kept frames' times are on the steady clock; the loop's moments
    // are carried over by where both clocks stand now.
    const RunLoop::Duration toSteady =
        std::chrono::duration_cast<RunLoop::Duration>(std::chrono::steady_clock::now().time_since_epoch()) -
        loop_->now();
    std::optional<FrameRing::Kept> kept;
    if (running_ && recentFrames_) {
        const FrameRing& ring = recentFrames_->ring();
        if (choice.rule == StillChoice::Rule::kNearest) kept = ring.nearest(choice.moment + toSteady);
        if (choice.rule == StillChoice::Rule::kSharpest)
            kept = ring.sharpest(choice.from + toSteady, choice.to + toSteady);
    }
    if (!kept) {
        takePicture([this, handler = std::move(handler)](const Image& picture) {
            handler(picture, picture ? std::optional(loop_->now()) : std::nullopt);
        });
        return;
    }
    const RunLoop::Duration frameTime = kept->time - toSteady;
    pending_ = [handler = std::move(handler), frameTime](const Image& picture) {
        handler(picture, frameTime);
    };
    const unsigned request = ++stillRequest_ == 0 ? ++stillRequest_ : stillRequest_;
    // Converted off the loop: a full-size frame takes tens of milliseconds.
    if (converter_.joinable()) converter_.join();
    converter_ = std::thread([this, request, frame = kept->frame, alive = std::weak_ptr<int>(alive_)] {
        const Image picture = frame->picture();
        ++stillsFromKept_;
        loop_->post([this, request, picture, alive] {
            if (alive.lock()) finish(request, picture);
        });
    });
}

void GstCameraPicker::finish(unsigned request, const Image& picture) {
    if (request != stillRequest_ || !pending_) return;  // answered already (timed out)
    timeout_.stop();
    const Image still =
        picture ? picture.withOrientation(Rotation::imageOrientation(mountRotation())) : picture;
    if (still && stillObserver_) stillObserver_(still);
    if (auto handler = std::exchange(pending_, nullptr)) handler(still);
}

void GstCameraPicker::setFrameObserver(std::function<void()> observer) {
    frameObserver_ = std::move(observer);
    if (shared_) shared_->frameObserved = frameObserver_ != nullptr;
}

void GstCameraPicker::frameArrived() {
    // A copy: the observer may stop observing when told.
    if (const auto told = frameObserver_) told();
}

Image GstCameraPicker::previewFrame() const {
    if (!shared_ || !running_) return Image();
    std::lock_guard lock(shared_->mutex);
    return shared_->latest;
}

long GstCameraPicker::previewFramesConverted() const { return shared_ ? shared_->previews.load() : 0; }

long GstCameraPicker::stillsConverted() const { return shared_ ? shared_->stills.load() : 0; }

std::pair<int, int> GstCameraPicker::sourceSize() const {
    return shared_ ? std::pair{shared_->width.load(), shared_->height.load()} : std::pair{0, 0};
}

std::optional<int> GstCameraPicker::rotationOfTag(const std::string& value) {
    for (const char* prefix : {"rotate-", "flip-rotate-"}) {
        const std::string start(prefix);
        if (value.rfind(start, 0) != 0) continue;
        const std::string degrees = value.substr(start.size());
        if (degrees == "0" || degrees == "90" || degrees == "180" || degrees == "270")
            return std::stoi(degrees);
    }
    return std::nullopt;
}

int GstCameraPicker::mountRotation() const {
    if (mountOverride_) return *mountOverride_;
    if (shared_ && shared_->tagRotation >= 0) return shared_->tagRotation;
    const CameraSource* source = sourceFor(device_);
    return source && source->rotation >= 0 ? Rotation::normalized(source->rotation) : 0;
}

bool GstCameraPicker::facesUser() const {
    const CameraSource* source = sourceFor(device_);
    return !source || source->facesUser();
}

void GstCameraPicker::setMountRotation(std::optional<int> rotation) {
    mountOverride_ = rotation ? std::optional(Rotation::normalized(*rotation)) : std::nullopt;
    applyPreviewFlip();
}

void GstCameraPicker::setPreviewOrientation(int screenTurn, bool mirrored) {
    screenTurn_ = Rotation::normalized(screenTurn);
    mirrored_ = mirrored;
    applyPreviewFlip();
}

int GstCameraPicker::previewRotation() const {
    return Rotation::preview(mountRotation(), screenTurn_);
}

// videoflip's methods: a turn, then (for a camera facing the user) the
// mirror of the turned frame.
void GstCameraPicker::applyPreviewFlip() {
    if (!pipeline_) return;
    const int rotation = previewRotation();
    static constexpr int kTurned[4] = {0, 1, 2, 3};    // identity, 90r, 180, 90l
    static constexpr int kMirrored[4] = {4, 6, 5, 7};  // horiz, ul-lr, vert, ur-ll
    const int method = (mirrored_ ? kMirrored : kTurned)[rotation / 90];
    if (method == previewFlip_) return;
    GstElement* flip = gst_bin_get_by_name(GST_BIN(pipeline_), "kestrel_preview_flip");
    if (!flip) return;
    g_object_set(flip, "video-direction", method, nullptr);
    gst_object_unref(flip);
    previewFlip_ = method;
    applyPreviewSize();  // the live view's size is asked for in the window's shape
}

}  // namespace kestrel
