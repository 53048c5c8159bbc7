// What one save costs the store, by the number of photos already in it: the
// save (name, write, record) and the completion's catch-up of the reading
// that the album and the viewer show, as the window and kestrel-cli shoot
// run them. Beside it, for comparison, the same save followed by a reading
// of the whole tree, as the store did before it kept its reading up to date.
// Compare cases within one run (ratios), not across machines; the store is
// made under $TMPDIR (TMPDIR=/dev/shm measures without the disk's flushes).
#include "core/base/Image.h"
#include "core/imaging/JpegCodec.h"
#include "core/store/CameraRoll.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// A 640 × 480 photo's JPEG, as a virtual-time interval run saves them.
const std::vector<std::uint8_t>& photo() {
    static const std::vector<std::uint8_t> bytes = [] {
        Bitmap bitmap(640, 480);
        for (int y = 0; y < 480; ++y) {
            std::uint8_t* p = bitmap.row(y);
            for (int x = 0; x < 640; ++x, p += 4) {
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = static_cast<std::uint8_t>(x ^ y);
                p[3] = 0xFF;
            }
        }
        return *JpegCodec::encode(Image(std::move(bitmap)), 0.95);
    }();
    return bytes;
}

// A DCIM tree of `count` photos in full folders of 999 (small files: the
// store reads names and dates, not pictures), with its record and a
// thumbnail for each photo, as Kestrel leaves them.
class SyntheticStore {
public:
    explicit SyntheticStore(int count) {
        // Under $TMPDIR: TMPDIR=/dev/shm leaves out the disk's flushes.
        std::string pattern = (fs::temp_directory_path() / "kestrel-store-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        std::string keys;
        for (int folder = 100, left = count; left > 0; ++folder) {
            const int inFolder = std::min(999, left);
            const fs::path path = root_ / (std::to_string(folder) + "APPLE");
            fs::create_directories(path / ".MISC");
            for (int n = 1; n <= inFolder; ++n) {
                char name[32];
                std::snprintf(name, sizeof name, "IMG_%d%03d", folder - 100, n);
                std::ofstream(path / (std::string(name) + ".JPG")) << "\xff\xd8\xff\xd9";
                std::ofstream(path / ".MISC" / (std::string(name) + ".THM")) << "\xff\xd8\xff\xd9";
            }
            keys += "<key>LastFileGroupNumber-" + std::to_string(folder) + "</key><string>" +
                    std::to_string(inFolder) + "</string>";
            left -= inFolder;
        }
        fs::create_directories(root_ / ".MISC");
        std::ofstream(root_ / ".MISC" / "Info.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" << keys << "</dict></plist>";
        // As a store looks that was filled over months: nothing in it written
        // in the last seconds, when a listing cannot be trusted to stay.
        const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            if (entry.is_directory()) fs::last_write_time(entry.path(), longAgo);
        fs::last_write_time(root_, longAgo);
    }
    ~SyntheticStore() { fs::remove_all(root_); }
    SyntheticStore(const SyntheticStore&) = delete;
    SyntheticStore& operator=(const SyntheticStore&) = delete;
    std::string root() const { return root_.string(); }

private:
    fs::path root_;
};

void saveInto(benchmark::State& state, bool readWhole) {
    SyntheticStore store(static_cast<int>(state.range(0)));
    CameraRoll roll(store.root());
    roll.parse(true);  // the window's reading, as the album shows it
    const auto& bytes = photo();
    for (auto _ : state) {
        if (!roll.saveImageData(bytes, bytes, bytes)) state.SkipWithError("the save failed");
        if (readWhole) {
            roll.reset();
            roll.parse(true);
        } else {
            roll.refresh();
        }
        benchmark::DoNotOptimize(roll.files().size());
    }
    state.counters["photos"] = static_cast<double>(roll.files().size());
}

void BM_SaveAndCatchUp(benchmark::State& state) { saveInto(state, false); }
void BM_SaveAndReadWholeTree(benchmark::State& state) { saveInto(state, true); }

// 200 saves each: the store grows by no more than that while measured.
BENCHMARK(BM_SaveAndCatchUp)->Arg(100)->Arg(10000)->Arg(100000)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveAndReadWholeTree)->Arg(100)->Arg(10000)->Iterations(50)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
