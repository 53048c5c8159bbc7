#include "core/library/ThumbnailLoader.h"

#include "core/imaging/ImageFile.h"

namespace kestrel {

ThumbnailLoader::ThumbnailLoader(RunLoop& loop, std::size_t capacity)
    : loop_(&loop), capacity_(capacity == 0 ? 1 : capacity), worker_([this] { work(); }) {}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        requests_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

Image ThumbnailLoader::cached(const std::string& path) {
    const auto found = index_.find(path);
    if (found == index_.end()) return Image();
    order_.splice(order_.begin(), order_, found->second);
    return found->second->second;
}

Image ThumbnailLoader::load(const std::string& path, Handler handler) {
    if (index_.count(path)) return cached(path);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(Request{path, std::move(handler)});
    }
    wake_.notify_one();
    return Image();
}

void ThumbnailLoader::forget(const std::string& path) {
    const auto found = index_.find(path);
    if (found == index_.end()) return;
    order_.erase(found->second);
    index_.erase(found);
}

void ThumbnailLoader::remember(const std::string& path, const Image& image) {
    forget(path);
    order_.emplace_front(path, image);
    index_[path] = order_.begin();
    while (order_.size() > capacity_) {
        index_.erase(order_.back().first);
        order_.pop_back();
    }
}

void ThumbnailLoader::work() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !requests_.empty(); });
            if (quit_) return;
            request = std::move(requests_.back());  // the newest first: the rows now in view
            requests_.pop_back();
        }
        const auto image = ImageFile::read(request.path);
        const Image thumbnail = image ? *image : Image();
        loop_->post(
            [this, alive = std::weak_ptr<int>(alive_), request = std::move(request), thumbnail] {
                if (!alive.lock()) return;
                remember(request.path, thumbnail);
                if (request.handler) request.handler(thumbnail);
            });
    }
}

}  // namespace kestrel
