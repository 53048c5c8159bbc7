#include "core/library/ThumbnailLoader.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/JpegCodec.h"

#include <algorithm>

namespace kestrel {

Image ThumbnailLoader::readThumbnail(const std::string& path) {
    // Thumbnails are JPEG whatever their name (".THM"); anything else by its extension.
    const auto bytes = ImageFile::readBytes(path);
    if (!bytes) return Image();
    if (bytes->size() > 2 && (*bytes)[0] == 0xFF && (*bytes)[1] == 0xD8) {
        const auto image = JpegCodec::decode(*bytes);
        return image ? *image : Image();
    }
    const auto image = ImageFile::read(path);
    return image ? *image : Image();
}

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
        // Asked again before it was read (a row scrolled away and back): one read,
        // served as the newest, answering both.
        const auto queued = std::find_if(requests_.begin(), requests_.end(),
                                         [&path](const Request& r) { return r.path == path; });
        if (queued != requests_.end()) {
            handler = [earlier = std::move(queued->handler),
                       later = std::move(handler)](const Image& thumbnail) {
                if (earlier) earlier(thumbnail);
                if (later) later(thumbnail);
            };
            requests_.erase(queued);
        }
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
        const Image thumbnail = readThumbnail(request.path);
        loop_->post(
            [this, alive = std::weak_ptr<int>(alive_), request = std::move(request), thumbnail] {
                if (!alive.lock()) return;
                remember(request.path, thumbnail);
                if (request.handler) request.handler(thumbnail);
            });
    }
}

}  // namespace kestrel
