#pragma once

#include "core/base/Image.h"
#include "core/platform/RunLoop.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace kestrel {

// Thumbnails for the album grid, read on a thread of their own and kept in
// a bounded cache, so that the grid never waits on the disk: a thumbnail in
// the cache comes at once, any other is read in the background and handed
// over on the run loop. The newest request is served first (the rows in
// view). Main thread, apart from the worker.
class ThumbnailLoader {
public:
    using Handler = std::function<void(const Image& thumbnail)>;
    static constexpr std::size_t kDefaultCapacity = 512;

    explicit ThumbnailLoader(RunLoop& loop, std::size_t capacity = kDefaultCapacity);
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // The cached thumbnail, or none (and `handler` is called on the run loop
    // once it has been read; an unreadable file gives an empty image).
    Image load(const std::string& path, Handler handler);
    // The cached thumbnail or none, without reading.
    Image cached(const std::string& path);
    void forget(const std::string& path);
    // Reads one thumbnail file now; an empty image when it cannot be read.
    static Image readThumbnail(const std::string& path);

private:
    struct Request {
        std::string path;
        Handler handler;
    };
    void work();
    void remember(const std::string& path, const Image& image);

    RunLoop* loop_;
    std::size_t capacity_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    // Main thread: the cache, most recently used first.
    std::list<std::pair<std::string, Image>> order_;
    std::unordered_map<std::string, std::list<std::pair<std::string, Image>>::iterator> index_;
    // Shared with the worker.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> requests_;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace kestrel
