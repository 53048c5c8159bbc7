#pragma once

#include "core/platform/FaceFinder.h"

#include <filesystem>
#include <memory>
#include <string>

struct KestrelFaces;
struct KestrelFaceBox;

namespace kestrel {

// The face finder in its module (kestrel-faces.so, dlib's detector). locate()
// only looks for the files; the module is opened with dlopen, and its 100 MB
// landmark model read, at the first findFaces (on the caller's thread, off
// the main loop): a Kestrel without dlib builds, installs and runs, and only
// the Faces mode is missing. A module that cannot be opened finds no face
// and says why once.
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
    FaceModule(std::filesystem::path module, std::filesystem::path model)
        : module_(std::move(module)), model_(std::move(model)) {}
    // Opens the module now; answers whether it could, with the reason in `why`.
    bool open(std::string* why);
    ~FaceModule() override;
    FaceModule(const FaceModule&) = delete;
    FaceModule& operator=(const FaceModule&) = delete;

    std::vector<FoundFace> findFaces(const Image& picture) override;

private:
    using Find = int (*)(KestrelFaces*, const unsigned char*, int, int, std::size_t,
                         KestrelFaceBox*, int);
    using Close = void (*)(KestrelFaces*);

    std::filesystem::path module_;
    std::filesystem::path model_;
    bool tried_ = false;
    void* library_ = nullptr;
    KestrelFaces* finder_ = nullptr;
    Find find_ = nullptr;
    Close close_ = nullptr;
};

}  // namespace kestrel
