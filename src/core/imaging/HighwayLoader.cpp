// Highway's run-time dispatch asks its library two things: which targets
// the processor supports, and which one is chosen. The library times its
// clock as it loads (a few milliseconds), so it is loaded here when a
// kernel first runs, not when a program starts: the commands on files and
// the screens that draw nothing never load it.
#include "core/platform/Log.h"

#include <hwy/targets.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace kestrel {
namespace {

void* highwayLibrary() {
    static void* const handle = [] {
        void* library = ::dlopen("libhwy.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* why = ::dlerror();
            Log::error(std::string("imaging: cannot load Highway (libhwy.so.1): ") + (why ? why : "unknown"));
            std::abort();  // no kernel can run without it; the package depends on it
        }
        return library;
    }();
    return handle;
}

template <typename Function>
Function* highwayFunction(const char* name) {
    void* found = ::dlsym(highwayLibrary(), name);
    if (!found) {
        Log::error(std::string("imaging: Highway has no ") + name);
        std::abort();
    }
    return reinterpret_cast<Function*>(found);
}

}  // namespace
}  // namespace kestrel

namespace hwy {

int64_t SupportedTargets() {
    static auto* const real = kestrel::highwayFunction<int64_t()>("_ZN3hwy16SupportedTargetsEv");
    return real();
}

ChosenTarget& GetChosenTarget() {
    static auto* const real = kestrel::highwayFunction<ChosenTarget&()>("_ZN3hwy15GetChosenTargetEv");
    return real();
}

}  // namespace hwy
