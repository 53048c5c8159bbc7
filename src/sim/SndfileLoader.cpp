// libsndfile, loaded when a sound file is first read rather than when a
// program starts: it brings the FLAC, Vorbis, Opus and MP3 codecs, which
// most runs never need. Each function Kestrel uses forwards to the
// library's own; without the library no file can be opened, and it says why.
#include <dlfcn.h>
#include <sndfile.h>

namespace {

template <class Function>
Function sndfileFunction(const char* name) {
    static void* const library = ::dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

}  // namespace

extern "C" {

SNDFILE* sf_open(const char* path, int mode, SF_INFO* info) {
    using Function = decltype(&sf_open);
    static const Function forward = sndfileFunction<Function>("sf_open");
    return forward ? forward(path, mode, info) : nullptr;
}

int sf_close(SNDFILE* file) {
    using Function = decltype(&sf_close);
    static const Function forward = sndfileFunction<Function>("sf_close");
    return forward ? forward(file) : 0;
}

sf_count_t sf_readf_short(SNDFILE* file, short* ptr, sf_count_t frames) {
    using Function = decltype(&sf_readf_short);
    static const Function forward = sndfileFunction<Function>("sf_readf_short");
    return forward ? forward(file, ptr, frames) : 0;
}

const char* sf_strerror(SNDFILE* file) {
    using Function = decltype(&sf_strerror);
    static const Function forward = sndfileFunction<Function>("sf_strerror");
    return forward ? forward(file) : "the sound file library (libsndfile.so.1) is not installed";
}
}
