#include "adapters/linux/FaceModule.h"

#include "adapters/faces/KestrelFaces.h"
#include "core/imaging/ImageResizer.h"
#include "core/platform/Log.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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

template <class Function>
Function symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(::dlsym(library, name));
}

// Whether the model can be read, without reading its 100 MB: a file that
// opens and is not empty. Empty when it can.
std::string modelProblem(const fs::path& model) {
    std::error_code error;
    if (!fs::is_regular_file(model, error))
        return "the face landmark model " + model.string() +
               " is missing (libdlib-data installs it)";
    std::ifstream in(model, std::ios::binary);
    if (!in || in.peek() == std::ifstream::traits_type::eof())
        return "the face landmark model " + model.string() + " cannot be read";
    return {};
}

// dlib's messages run over several lines: the log keeps the first, without
// its full stop (the log's line goes on).
std::string firstLine(const char* text) {
    std::string line = text;
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '.') line.pop_back();
    return line;
}

bool fail(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

}  // namespace

std::vector<fs::path> FaceModule::searchPath() {
    if (auto named = environment("KESTREL_FACES_MODULE")) return {fs::path(*named)};
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path folder = self.parent_path();
    return {folder.parent_path() / "lib" / "kestrel" / kModuleName,
            folder.parent_path().parent_path() / "lib" / "kestrel" / kModuleName};
}

std::unique_ptr<FaceModule> FaceModule::locate(std::string* why) {
    return locate(searchPath(), environment("KESTREL_FACES_MODEL").value_or(kDefaultModel), why);
}

std::unique_ptr<FaceModule> FaceModule::locate(const std::vector<fs::path>& modules,
                                               const fs::path& model, std::string* why) {
    std::error_code error;
    for (const fs::path& candidate : modules) {
        if (!fs::is_regular_file(candidate, error)) continue;
        if (const std::string problem = modelProblem(model); !problem.empty()) {
            fail(why, problem);
            return nullptr;
        }
        auto module = std::make_unique<FaceModule>(candidate, model);
        if (!module->load(why)) return nullptr;
        return module;
    }
    fail(why,
         "the face finder module (" + std::string(kModuleName) + ") is not installed" +
             (modules.empty() ? std::string() : " (looked for " + modules.front().string() + ")"));
    return nullptr;
}

bool FaceModule::load(std::string* why) {
    if (library_) return true;
    void* library = ::dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        return fail(why, "the face finder module " + module_.string() +
                             " cannot be loaded: " + (reason ? reason : "unknown error"));
    }
    const auto version = symbol<int (*)()>(library, "kestrel_faces_version");
    const auto open = symbol<Open>(library, "kestrel_faces_open");
    const auto find = symbol<Find>(library, "kestrel_faces_find");
    const auto close = symbol<Close>(library, "kestrel_faces_close");
    if (!version || !open || !find || !close || version() != KESTREL_FACES_VERSION) {
        ::dlclose(library);
        return fail(why, "the face finder module " + module_.string() + " is not of this Kestrel");
    }
    library_ = library;
    open_ = open;
    find_ = find;
    close_ = close;
    return true;
}

bool FaceModule::open(std::string* why) {
    if (finder_) return true;
    if (!load(why)) return false;
    char reason[512] = {};
    KestrelFaces* finder = open_(model_.c_str(), reason, sizeof reason);
    if (!finder)
        return fail(why, "the face landmark model " + model_.string() +
                             " cannot be read: " + firstLine(reason));
    finder_ = finder;
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
        if (!open(&failure_)) {
            Log::warning("faces: " + failure_ + "; the face finder stops");
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
