#include "adapters/gst/CameraFinder.h"

#include "adapters/gst/CameraPortal.h"
#include "adapters/gst/CameraSpec.h"
#include "adapters/gst/GstCameraPicker.h"
#include "adapters/gst/GstInit.h"
#include "core/platform/Log.h"

#include <gst/gst.h>

#include <algorithm>
#include <mutex>

namespace kestrel {
namespace {

std::string property(const GstStructure* properties, const char* key) {
    if (!properties || !gst_structure_has_field(properties, key)) return "";
    const GValue* value = gst_structure_get_value(properties, key);
    if (G_VALUE_HOLDS_STRING(value))
        return g_value_get_string(value) ? g_value_get_string(value) : "";
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
    if (GST_VALUE_HOLDS_FRACTION_RANGE(rate))
        return maxRate(gst_value_get_fraction_range_max(rate));
    double best = 0;
    if (GST_VALUE_HOLDS_LIST(rate))
        for (guint i = 0; i < gst_value_list_get_size(rate); ++i)
            best = std::max(best, maxRate(gst_value_list_get_value(rate, i)));
    return best;
}

// The largest value a width or height field allows; `ranged` is set when
// that is the top of a range rather than a size the device lists.
int maxSide(const GValue* side, bool& ranged) {
    if (!side) return 0;
    if (G_VALUE_HOLDS_INT(side)) return g_value_get_int(side);
    if (GST_VALUE_HOLDS_INT_RANGE(side)) {
        ranged = true;
        return gst_value_get_int_range_max(side);
    }
    int best = 0;
    if (GST_VALUE_HOLDS_LIST(side))
        for (guint i = 0; i < gst_value_list_get_size(side); ++i)
            best = std::max(best, maxSide(gst_value_list_get_value(side, i), ranged));
    return best;
}

// The largest size in `caps` at `minRate` frames a second or more, as text;
// a size at the top of a range (libcamera and PipeWire offer ranges) is
// given as "up to" it.
std::string largest(GstCaps* caps, double minRate) {
    long bestArea = 0;
    std::string best = "none";
    for (guint i = 0; caps && i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        bool ranged = false;
        const int w = maxSide(gst_structure_get_value(s, "width"), ranged);
        const int h = maxSide(gst_structure_get_value(s, "height"), ranged);
        if (w <= 0 || h <= 0) continue;
        const double rate = maxRate(gst_structure_get_value(s, "framerate"));
        if (rate < minRate || long{w} * h <= bestArea) continue;
        bestArea = long{w} * h;
        std::string format = gst_structure_get_name(s);
        if (const char* f = gst_structure_get_string(s, "format")) format = f;
        best = (ranged ? "up to " : "") + std::to_string(w) + "x" + std::to_string(h) + " (" +
               format +
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

// What the device monitor's threads reach. Its monitor is never stopped (see
// surveyDevices): it and this stay to the process's end, told by `loop`
// being none that the finder is gone.
struct CameraFinder::Watch {
    GstDeviceMonitor* monitor = nullptr;
    std::mutex mutex;                                            // guards loop
    RunLoop* loop = nullptr;                                     // none once the finder is gone
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);  // read on the loop's thread
    std::function<void()> changed;
};

CameraFinder::CameraFinder(std::string portalBus, Survey survey)
    : portal_(std::make_unique<CameraPortal>(std::move(portalBus))), survey_(std::move(survey)) {
    initGstreamer();
}

CameraFinder::~CameraFinder() {
    if (!watch_) return;
    {
        const std::lock_guard lock(watch_->mutex);
        watch_->loop = nullptr;
    }
    *watch_->alive = false;
    // Left running, with what its threads reach: stopping it can crash.
    static_cast<void>(watch_.release());
}

void CameraFinder::add(Camera camera, std::vector<std::string> keys) {
    std::erase_if(keys, [](const std::string& key) { return key.ends_with(':'); });
    std::optional<std::size_t> same;
    for (std::size_t i = 0; i < cameras_.size() && !same; ++i)
        if (std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
                return std::find(keys_[i].begin(), keys_[i].end(), key) != keys_[i].end();
            }))
            same = i;
    if (!same) {
        // By name only where no device path can tell: one of the two was seen
        // without any, by another provider, and one camera bears the name.
        // Two alike webcams share a name but never a path.
        std::vector<std::size_t> named;
        for (std::size_t i = 0; i < cameras_.size(); ++i)
            if ((keys.empty() || keys_[i].empty()) &&
                std::any_of(seenAs_[i].begin(), seenAs_[i].end(), [&](const auto& seen) {
                    return seen.first != camera.source.how && seen.second == camera.source.name;
                }))
                named.push_back(i);
        if (named.size() == 1) same = named.front();
    }
    if (!same) {
        seenAs_.push_back({{camera.source.how, camera.source.name}});
        cameras_.push_back(std::move(camera));
        keys_.push_back(std::move(keys));
        return;
    }
    const std::size_t i = *same;
    seenAs_[i].emplace_back(camera.source.how, camera.source.name);
    keys_[i].insert(keys_[i].end(), keys.begin(), keys.end());
    // One camera, found twice: the better way wins, what either knows is kept.
    if (rank(camera.source.how) < rank(cameras_[i].source.how)) std::swap(camera, cameras_[i]);
    if (cameras_[i].source.facing == CameraSource::Facing::kUnknown)
        cameras_[i].source.facing = camera.source.facing;
    if (cameras_[i].source.rotation < 0) cameras_[i].source.rotation = camera.source.rotation;
}

std::vector<CameraFinder::Sighting> CameraFinder::surveyDevices() {
    std::vector<Sighting> found;
    // A monitor that is not started has each provider probe once, on this
    // thread. Stopping a started one races with PipeWire's own thread in the
    // PipeWire provider (Debian 12's 0.3.65 frees a proxy twice, about one
    // stop in five), which crashed `kestrel-cli devices` as it ended.
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* item = devices; item; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        const std::string type = G_OBJECT_TYPE_NAME(device);
        Sighting sighting;
        if (type == "GstPipeWireDevice")
            sighting.provider = "pipewire";
        else if (type == "GstLibcameraDevice")
            sighting.provider = "libcamera";
        else if (type == "GstV4l2Device")
            sighting.provider = "v4l2";
        else
            continue;
        gchar* display = gst_device_get_display_name(device);
        sighting.name = display ? display : "";
        g_free(display);
        if (GstStructure* props = gst_device_get_properties(device)) {
            for (int i = 0; i < gst_structure_n_fields(props); ++i) {
                const char* key = gst_structure_nth_field_name(props, static_cast<guint>(i));
                sighting.properties[key] = property(props, key);
            }
            gst_structure_free(props);
        }
        if (sighting.provider == "libcamera") {
            // The name libcamerasrc takes is the element's, not a device property.
            if (GstElement* element = gst_device_create_element(device, nullptr)) {
                gchar* name = nullptr;
                g_object_get(element, "camera-name", &name, nullptr);
                if (name) sighting.properties["camera-name"] = name;
                g_free(name);
                gst_object_unref(element);
            }
        }
        if (GstCaps* caps = gst_device_get_caps(device)) {
            gchar* text = gst_caps_to_string(caps);
            sighting.caps = text ? text : "";
            g_free(text);
            gst_caps_unref(caps);
        }
        found.push_back(std::move(sighting));
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
    return found;
}

void CameraFinder::find() {
    cameras_.clear();
    keys_.clear();
    seenAs_.clear();
    portalProblem_.clear();
    portalPresent_ = portal_->isCameraPresent(&portalProblem_);
    for (const Sighting& sighting : survey_ ? survey_() : surveyDevices()) {
        auto get = [&sighting](const char* key) {
            const auto found = sighting.properties.find(key);
            return found == sighting.properties.end() ? std::string() : found->second;
        };
        Camera camera;
        camera.source.name = sighting.name.empty() ? "camera" : sighting.name;
        std::vector<std::string> keys;
        CameraSpec spec;
        if (sighting.provider == "pipewire") {
            spec = {CameraSpec::Kind::kPipewire, get("object.serial")};
            if (spec.argument.empty()) spec.argument = get("node.name");
            camera.source.facing = facingOf(get("api.libcamera.location"));
            keys = {"v4l2:" + get("api.v4l2.path"), "libcamera:" + get("api.libcamera.path")};
            camera.source.rotation =
                sensors_.forLibcameraId(get("api.libcamera.path")).value_or(-1);
        } else if (sighting.provider == "libcamera") {
            spec = {CameraSpec::Kind::kLibcamera, get("camera-name")};
            keys = {"libcamera:" + spec.argument};
            camera.source.rotation = sensors_.forLibcameraId(spec.argument).value_or(-1);
        } else if (sighting.provider == "v4l2") {
            spec = {CameraSpec::Kind::kV4l2, get("device.path")};
            keys = {"v4l2:" + spec.argument};
        } else {
            continue;
        }
        camera.source.how = spec.how();
        camera.source.description = spec.description();
        GstCaps* caps =
            sighting.caps.empty() ? nullptr : gst_caps_from_string(sighting.caps.c_str());
        camera.still = largest(caps, 0);
        camera.preview = largest(caps, GstCameraPicker::kUsableFrameRate);
        if (caps) gst_caps_unref(caps);
        add(std::move(camera), std::move(keys));
    }
    std::stable_sort(cameras_.begin(), cameras_.end(), [](const Camera& a, const Camera& b) {
        return rank(a.source.how) < rank(b.source.how);
    });
}

CameraFinder::Choice CameraFinder::chooseAuto() {
    if (portalPresent_ || CameraPortal::inSandbox()) {
        std::string why;
        const int fd = portal_->openPipeWireRemote(&why);
        if (fd >= 0) {
            // Frames copied, as for any PipeWire camera (see CameraSpec).
            CameraSource source{
                "pipewiresrc client-name=Kestrel always-copy=true fd=" + std::to_string(fd),
                "portal", "the camera portal's camera", CameraSource::Facing::kUnknown, fd};
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

void CameraFinder::cancel() { portal_->cancel(); }

void CameraFinder::watch(RunLoop& loop, std::function<void()> changed) {
    if (survey_ || watch_) return;  // the survey's owner says when to look again
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
            const std::lock_guard lock(w->mutex);
            if (w->loop && (type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED))
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
