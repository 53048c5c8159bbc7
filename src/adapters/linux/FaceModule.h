#pragma once

#include "core/platform/FaceFinder.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct KestrelFaces;
struct KestrelFaceBox;

namespace kestrel {

// The face finder in its module (kestrel-faces.so, dlib's detector). At
// start-up locate() opens the module (dlopen, its functions and version) and
// checks that the landmark model is a file that can be read: a broken module,
// or one without its model, leaves the Faces mode unoffered, as a missing one
// does. The 100 MB model itself is read at the first findFaces (on the
// caller's thread, off the main loop); one that cannot be read then says why
// in the log once, and the finder finds nothing more and tells it in failure().
class FaceModule final : public FaceFinder {
public:
    static constexpr const char* kModuleName = "kestrel-faces.so";
    static constexpr const char* kDefaultModel = "/usr/share/dlib/shape_predictor_68_face_landmarks.dat";
    static constexpr int kMostFaces = 32;

    // The module beside the programs ($KESTREL_FACES_MODULE, else
    // <program>/../lib/kestrel, then the build tree's <program>/../../lib/kestrel)
    // with its landmark model ($KESTREL_FACES_MODEL, else libdlib-data's);
    // none, with the reason in `why`, when either is missing or unusable.
    static std::unique_ptr<FaceModule> locate(std::string* why);
    // Where locate() looks for the module, first found first.
    static std::vector<std::filesystem::path> searchPath();
    // The first of `modules` that exists, loaded, with `model`; as locate().
    static std::unique_ptr<FaceModule> locate(const std::vector<std::filesystem::path>& modules,
                                              const std::filesystem::path& model, std::string* why);
    FaceModule(std::filesystem::path module, std::filesystem::path model)
        : module_(std::move(module)), model_(std::move(model)) {}
    // Loads the module and its functions, without the model; answers whether
    // it could, with the reason in `why`.
    bool load(std::string* why);
    // Loads the module and reads the model now; as load().
    bool open(std::string* why);
    ~FaceModule() override;
    FaceModule(const FaceModule&) = delete;
    FaceModule& operator=(const FaceModule&) = delete;

    std::vector<FoundFace> findFaces(const Image& picture) override;
    std::string failure() const override { return failure_; }

private:
    using Find = int (*)(KestrelFaces*, const unsigned char*, int, int, std::size_t,
                         KestrelFaceBox*, int);
    using Close = void (*)(KestrelFaces*);
    using Open = KestrelFaces* (*)(const char*, char*, std::size_t);

    std::filesystem::path module_;
    std::filesystem::path model_;
    bool tried_ = false;
    std::string failure_;
    void* library_ = nullptr;
    KestrelFaces* finder_ = nullptr;
    Open open_ = nullptr;
    Find find_ = nullptr;
    Close close_ = nullptr;
};

}  // namespace kestrel
