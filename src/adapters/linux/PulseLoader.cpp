// The PulseAudio client library, loaded when the microphone is first asked
// for rather than when a program starts: it brings a dozen libraries (D-Bus,
// X11, systemd, gcrypt, ...) that most runs of kestrel-cli never use. Each
// function Kestrel uses is defined here and forwards to the library's own.
// Without the library the stream cannot be opened and says why.
#include <dlfcn.h>
#include <pulse/error.h>
#include <pulse/simple.h>

namespace {

void* pulseLibrary() {
    static void* const library = ::dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
    return library;
}

template <class Function>
Function pulseFunction(const char* name) {
    void* library = pulseLibrary();
    return library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

}  // namespace

extern "C" {

pa_simple* pa_simple_new(const char* server, const char* name, pa_stream_direction_t dir,
                         const char* dev, const char* stream_name, const pa_sample_spec* ss,
                         const pa_channel_map* map, const pa_buffer_attr* attr, int* error) {
    using Function = decltype(&pa_simple_new);
    static const Function forward = pulseFunction<Function>("pa_simple_new");
    if (!forward) {
        if (error) *error = PA_ERR_NOTSUPPORTED;
        return nullptr;
    }
    return forward(server, name, dir, dev, stream_name, ss, map, attr, error);
}

void pa_simple_free(pa_simple* s) {
    using Function = decltype(&pa_simple_free);
    static const Function forward = pulseFunction<Function>("pa_simple_free");
    if (forward) forward(s);
}

int pa_simple_read(pa_simple* s, void* data, size_t bytes, int* error) {
    using Function = decltype(&pa_simple_read);
    static const Function forward = pulseFunction<Function>("pa_simple_read");
    if (!forward) {
        if (error) *error = PA_ERR_NOTSUPPORTED;
        return -1;
    }
    return forward(s, data, bytes, error);
}

pa_usec_t pa_simple_get_latency(pa_simple* s, int* error) {
    using Function = decltype(&pa_simple_get_latency);
    static const Function forward = pulseFunction<Function>("pa_simple_get_latency");
    if (!forward) {
        if (error) *error = PA_ERR_NOTSUPPORTED;
        return static_cast<pa_usec_t>(-1);
    }
    return forward(s, error);
}

const char* pa_strerror(int error) {
    using Function = decltype(&pa_strerror);
    static const Function forward = pulseFunction<Function>("pa_strerror");
    return forward ? forward(error)
                   : "the PulseAudio client library (libpulse-simple.so.0) is not installed";
}
}
