#include "adapters/gst/GstInit.h"

#include <gst/gst.h>

#include <cstdlib>
#include <mutex>

namespace kestrel {

void initGstreamer() {
    static std::once_flag once;
    std::call_once(once, [] {
        // libcamera reports every camera it probes; Kestrel says what matters itself.
        setenv("LIBCAMERA_LOG_LEVELS", "*:ERROR", 0);
        gst_init(nullptr, nullptr);
    });
}

}  // namespace kestrel
