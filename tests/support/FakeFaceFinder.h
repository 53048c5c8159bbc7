#pragma once

#include "core/platform/FaceFinder.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace kestrel::test {

// A face finder that answers what the test says: the faces it is set to,
// whatever the picture, or a failure; it counts its calls and keeps the last
// picture's size.
class FakeFaceFinder final : public FaceFinder {
public:
    std::vector<FoundFace> findFaces(const Image& picture) override {
        std::lock_guard lock(mutex_);
        ++calls;
        lastSize = picture.size();
        return faces_;
    }
    void answer(std::vector<FoundFace> faces) {
        std::lock_guard lock(mutex_);
        faces_ = std::move(faces);
    }
    std::string failure() const override {
        std::lock_guard lock(mutex_);
        return failure_;
    }
    // From the next call on, it finds nothing and has failed for good.
    void fail(std::string reason) {
        std::lock_guard lock(mutex_);
        faces_.clear();
        failure_ = std::move(reason);
    }
    // `found` faces, the first `doing` of them smiling and looking.
    static std::vector<FoundFace> faces(int found, int smiling, int looking) {
        std::vector<FoundFace> list;
        for (int i = 0; i < found; ++i)
            list.push_back(FoundFace{Rect{10.0f * static_cast<float>(i), 0, 8, 8}, i < smiling, i < looking});
        return list;
    }

    std::atomic<int> calls{0};
    Size lastSize{};

private:
    mutable std::mutex mutex_;
    std::vector<FoundFace> faces_;
    std::string failure_;
};

}  // namespace kestrel::test
