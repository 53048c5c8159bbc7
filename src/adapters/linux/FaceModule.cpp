#include "adapters/linux/FaceModule.h"

#include "adapters/faces/KestrelFaces.h"
#include "core/imaging/ImageResizer.h"
#include "core/platform/Log.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <vector>

namespace kestrel {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

// Where the module is looked for, first found first.
std::vector<fs::path> moduleCandidates() {
    if (auto named = environment("KESTREL_FACES_MODULE")) return {fs::path(*named)};
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path folder = self.parent_path();
    return {folder.parent_path() / "lib" / "kestrel" / FaceModule::kModuleName,
            folder.parent_path().parent_path() / "lib" / "kestrel" / FaceModule::kModuleName};
}

template <class Function>
Function symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(::dlsym(library, name));
}

}  // namespace

std::unique_ptr<FaceModule> FaceModule::locate(std::string* why) {
    const fs::path model = environment("KESTREL_FACES_MODEL").value_or(kDefaultModel);
    const std::vector<fs::path> candidates = moduleCandidates();
    std::error_code error;
    for (const fs::path& candidate : candidates) {
        if (!fs::is_regular_file(candidate, error)) continue;
        if (!fs::is_regular_file(model, error)) {
            if (why)
                *why = "the face landmark model " + model.string() +
                       " is missing (libdlib-data installs it)";
            return nullptr;
        }
        return std::make_unique<FaceModule>(candidate, model);
    }
    if (why)
        *why = "the face finder module (" + std::string(kModuleName) + ") is not installed" +
               (candidates.empty() ? std::string() : " (looked for " + candidates.front().string() + ")");
    return nullptr;
}

bool FaceModule::open(std::string* why) {
    if (finder_) return true;
    auto fail = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    void* library = ::dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        return fail("the face finder module " + module_.string() + " cannot be loaded: " +
                    (reason ? reason : "unknown error"));
    }
    const auto version = symbol<int (*)()>(library, "kestrel_faces_version");
    const auto open = symbol<KestrelFaces* (*)(const char*, char*, std::size_t)>(library, "kestrel_faces_open");
    const auto find = symbol<Find>(library, "kestrel_faces_find");
    const auto close = symbol<Close>(library, "kestrel_faces_close");
    if (!version || !open || !find || !close || version() != KESTREL_FACES_VERSION) {
        ::dlclose(library);
        return fail("the face finder module " + module_.string() + " is not of this Kestrel");
    }
    char reason[256] = {};
    KestrelFaces* finder = open(model_.c_str(), reason, sizeof reason);
    if (!finder) {
        ::dlclose(library);
        return fail("the face landmark model " + model_.string() + " cannot be read: " + reason);
    }
    library_ = library;
    finder_ = finder;
    find_ = find;
    close_ = close;
    return true;
}

FaceModule::~FaceModule() {
    if (finder_) close_(finder_);
    if (library_) ::dlclose(library_);
}

std::vector<FoundFace> FaceModule::findFaces(const Image& picture) {
    if (!picture) return {};
    if (!finder_) {
        if (tried_) return {};
        tried_ = true;
        std::string why;
        if (!open(&why)) {
            Log::warning("faces: " + why + "; no face is found");
            return {};
        }
    }
    const Image upright = ImageResizer::colorMatch(picture, Size{0, 0});
    const Bitmap& bitmap = upright.bitmap();
    KestrelFaceBox boxes[kMostFaces];
    const int count = find_(finder_, bitmap.data(), bitmap.width(), bitmap.height(),
                            bitmap.bytesPerRow(), boxes, kMostFaces);
    if (count < 0) {
        Log::warning("faces: the face finder failed on a " + std::to_string(bitmap.width()) + " x " +
                     std::to_string(bitmap.height()) + " picture");
        return {};
    }
    std::vector<FoundFace> faces;
    for (int i = 0; i < std::min(count, kMostFaces); ++i) {
        const KestrelFaceBox& box = boxes[i];
        faces.push_back(FoundFace{Rect{static_cast<float>(box.x), static_cast<float>(box.y),
                                       static_cast<float>(box.width), static_cast<float>(box.height)},
                                  box.smiling != 0, box.lookingAtCamera != 0});
    }
    return faces;
}

}  // namespace kestrel
