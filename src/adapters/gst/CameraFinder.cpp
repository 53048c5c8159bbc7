#include "adapters/gst/CameraFinder.h"

#include "adapters/gst/CameraPortal.h"
#include "adapters/gst/CameraSpec.h"
#include "adapters/gst/GstCameraPicker.h"
#include "adapters/gst/GstInit.h"
#include "core/platform/Log.h"

#include <gst/gst.h>

#include <algorithm>

namespace kestrel {
namespace {

std::string property(const GstStructure* properties, const char* key) {
    if (!properties || !gst_structure_has_field(properties, key)) return "";
    const GValue* value = gst_structure_get_value(properties, key);
    if (G_VALUE_HOLDS_STRING(value)) return g_value_get_string(value) ? g_value_get_string(value) : "";
    gchar* text = gst_value_serialize(value);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

double maxRate(const GValue* rate) {
    if (!rate) return 0;
    if (GST_VALUE_HOLDS_FRACTION(rate))
        return static_cast<double>(gst_value_get_fraction_numerator(rate)) /
               std::max(1, gst_value_get_fraction_denominator(rate));
    if (GST_VALUE_HOLDS_FRACTION_RANGE(rate)) return maxRate(gst_value_get_fraction_range_max(rate));
    double best = 0;
    if (GST_VALUE_HOLDS_LIST(rate))
        for (guint i = 0; i < gst_value_list_get_size(rate); ++i)
            best = std::max(best, maxRate(gst_value_list_get_value(rate, i)));
    return best;
}

// The largest fixed size in `caps` at `minRate` frames a second or more, as text.
std::string largest(GstCaps* caps, double minRate) {
    long bestArea = 0;
    std::string best = "none";
    for (guint i = 0; caps && i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        int w = 0, h = 0;
        if (!gst_structure_get_int(s, "width", &w) || !gst_structure_get_int(s, "height", &h))
            continue;
        const double rate = maxRate(gst_structure_get_value(s, "framerate"));
        if (rate < minRate || long{w} * h <= bestArea) continue;
        bestArea = long{w} * h;
        std::string format = gst_structure_get_name(s);
        if (const char* f = gst_structure_get_string(s, "format")) format = f;
        best = std::to_string(w) + "x" + std::to_string(h) + " (" + format +
               (rate > 0 ? ", " + std::to_string(static_cast<int>(rate + 0.5)) + " fps" : "") + ")";
    }
    return best;
}

CameraSource::Facing facingOf(const std::string& location) {
    if (location == "front") return CameraSource::Facing::kFront;
    if (location == "back") return CameraSource::Facing::kBack;
    return CameraSource::Facing::kUnknown;
}

int rank(const std::string& how) {
    static const char* order[] = {"portal", "pipewire", "libcamera", "v4l2"};
    for (int i = 0; i < 4; ++i)
        if (how == order[i]) return i;
    return 4;
}

}  // namespace

struct CameraFinder::Watch {
    ~Watch() {
        if (monitor) {
            gst_device_monitor_stop(monitor);
            gst_object_unref(monitor);
        }
    }
    GstDeviceMonitor* monitor = nullptr;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    RunLoop* loop = nullptr;
    std::function<void()> changed;
};

CameraFinder::CameraFinder(std::string portalBus)
    : portal_(std::make_unique<CameraPortal>(std::move(portalBus))) {
    initGstreamer();
}

CameraFinder::~CameraFinder() {
    if (watch_) *watch_->alive = false;
}

void CameraFinder::add(Camera camera, const std::vector<std::string>& keys) {
    for (std::size_t i = 0; i < cameras_.size(); ++i) {
        const bool same = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
            return !key.empty() &&
                   std::find(keys_[i].begin(), keys_[i].end(), key) != keys_[i].end();
        });
        if (!same) continue;
        // One camera, found twice: the better way wins, what it knows is kept.
        if (rank(camera.source.how) < rank(cameras_[i].source.how)) {
            if (camera.source.facing == CameraSource::Facing::kUnknown)
                camera.source.facing = cameras_[i].source.facing;
            cameras_[i] = std::move(camera);
        }
        keys_[i].insert(keys_[i].end(), keys.begin(), keys.end());
        return;
    }
    cameras_.push_back(std::move(camera));
    keys_.push_back(keys);
}

void CameraFinder::find() {
    cameras_.clear();
    keys_.clear();
    portalProblem_.clear();
    portalPresent_ = portal_->isCameraPresent(&portalProblem_);
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    if (!gst_device_monitor_start(monitor)) {
        Log::warning("camera: GStreamer's device monitor does not start");
        gst_object_unref(monitor);
        return;
    }
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* item = devices; item; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        const std::string type = G_OBJECT_TYPE_NAME(device);
        GstStructure* props = gst_device_get_properties(device);
        gchar* display = gst_device_get_display_name(device);
        Camera camera;
        camera.source.name = display ? display : "camera";
        g_free(display);
        std::vector<std::string> keys{"name:" + camera.source.name};
        CameraSpec spec;
        if (type == "GstPipeWireDevice") {
            spec = {CameraSpec::Kind::kPipewire, property(props, "object.serial")};
            if (spec.argument.empty()) spec.argument = property(props, "node.name");
            camera.source.facing = facingOf(property(props, "api.libcamera.location"));
            keys.push_back("v4l2:" + property(props, "api.v4l2.path"));
            keys.push_back("libcamera:" + property(props, "api.libcamera.path"));
        } else if (type == "GstLibcameraDevice") {
            GstElement* element = gst_device_create_element(device, nullptr);
            gchar* name = nullptr;
            if (element) g_object_get(element, "camera-name", &name, nullptr);
            spec = {CameraSpec::Kind::kLibcamera, name ? name : ""};
            g_free(name);
            if (element) gst_object_unref(element);
            keys.push_back("libcamera:" + spec.argument);
        } else if (type == "GstV4l2Device") {
            spec = {CameraSpec::Kind::kV4l2, property(props, "device.path")};
            keys.push_back("v4l2:" + spec.argument);
        } else {
            if (props) gst_structure_free(props);
            continue;
        }
        for (std::string& key : keys)
            if (key.ends_with(':')) key.clear();
        camera.source.how = spec.how();
        camera.source.description = spec.description();
        GstCaps* caps = gst_device_get_caps(device);
        camera.still = largest(caps, 0);
        camera.preview = largest(caps, GstCameraPicker::kUsableFrameRate);
        if (caps) gst_caps_unref(caps);
        if (props) gst_structure_free(props);
        add(std::move(camera), keys);
    }
    g_list_free_full(devices, gst_object_unref);
    gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
    std::stable_sort(cameras_.begin(), cameras_.end(), [](const Camera& a, const Camera& b) {
        return rank(a.source.how) < rank(b.source.how);
    });
}

CameraFinder::Choice CameraFinder::chooseAuto() {
    if (portalPresent_ || CameraPortal::inSandbox()) {
        std::string why;
        const int fd = portal_->openPipeWireRemote(&why);
        if (fd >= 0) {
            CameraSource source{"pipewiresrc client-name=Kestrel fd=" + std::to_string(fd),
                                "portal", "the camera portal's camera", CameraSource::Facing::kUnknown,
                                fd};
            return {source, "the desktop's camera portal gives the camera"};
        }
        portalProblem_ = why;
        Log::warning("camera: " + why);
    }
    const std::string portal =
        portalProblem_.empty() ? "" : " (not the camera portal: " + portalProblem_ + ")";
    if (cameras_.empty())
        return {std::nullopt, "no camera through PipeWire, libcamera or V4L2" + portal +
                                  ": the simulated camera"};
    const Camera& first = cameras_.front();
    return {first.source, "the first camera by " + first.source.how + portal};
}

void CameraFinder::watch(RunLoop& loop, std::function<void()> changed) {
    watch_ = std::make_unique<Watch>();
    watch_->loop = &loop;
    watch_->changed = std::move(changed);
    watch_->monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(watch_->monitor, "Video/Source", nullptr);
    GstBus* bus = gst_device_monitor_get_bus(watch_->monitor);
    // Added and removed devices reach the loop from the providers' threads.
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) {
            auto* w = static_cast<Watch*>(data);
            const auto type = GST_MESSAGE_TYPE(message);
            if (type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED)
                w->loop->post([alive = w->alive, w] {
                    if (*alive && w->changed) w->changed();
                });
            gst_message_unref(message);
            return GST_BUS_DROP;
        },
        watch_.get(), nullptr);
    gst_object_unref(bus);
    if (!gst_device_monitor_start(watch_->monitor))
        Log::warning("camera: cameras plugged in later will not be noticed");
}

}  // namespace kestrel
