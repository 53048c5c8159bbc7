// Speed of the photo pipeline's pieces on a 12-megapixel photo (4032 × 3024).
// Compare cases within one run (ratios), not across machines.
#include "core/imaging/BilinearScaler.h"
#include "core/imaging/CAutoNightVisionImageEffect.h"
#include "core/imaging/ColorModeKernel.h"
#include "core/imaging/ImageDraw.h"
#include "core/imaging/JpegCodec.h"
#include "core/imaging/NightVisionEffect.h"
#include "core/imaging/PhotoProcessor.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace kestrel {
namespace {

constexpr int kWidth = 4032;
constexpr int kHeight = 3024;

// A photo-like picture: smooth gradients with some texture.
const Image& photo() {
    static const Image picture = [] {
        Bitmap bitmap(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* p = bitmap.row(y);
            for (int x = 0; x < kWidth; ++x, p += 4) {
                p[0] = static_cast<std::uint8_t>(x * 255 / kWidth);
                p[1] = static_cast<std::uint8_t>(y * 255 / kHeight);
                p[2] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013));
                p[3] = 0xFF;
            }
        }
        return Image(std::move(bitmap));
    }();
    return picture;
}

const std::vector<std::uint8_t>& photoJpeg() {
    static const std::vector<std::uint8_t> jpeg = *JpegCodec::encode(photo(), 0.95);
    return jpeg;
}

void setPixels(benchmark::State& state, std::int64_t pixels) {
    state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_Memcpy12MP(benchmark::State& state) {
    const Bitmap& source = photo().bitmap();
    Bitmap target(kWidth, kHeight);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.byteCount());
        benchmark::ClobberMemory();
    }
    setPixels(state, std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_Memcpy12MP)->Unit(benchmark::kMillisecond);

// The engine in place, as the photo road runs it on its own composed picture.
// Arg 0: run after run over its own stretched output; 1: on the photo itself
// each time (restored outside the timing).
void BM_NightVision12MP(benchmark::State& state) {
    const Bitmap& photoPixels = photo().bitmap();
    Bitmap pixels = photoPixels.clone();
    const bool fresh = state.range(0) == 1;
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            std::memcpy(pixels.data(), photoPixels.data(), photoPixels.byteCount());
            state.ResumeTiming();
        }
        CAutoNightVisionImageEffect engine;
        engine.SetInput(pixels.data(), kWidth, kHeight, pixels.bytesPerRow());
        benchmark::DoNotOptimize(engine.Process());
        benchmark::ClobberMemory();
    }
    setPixels(state, std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_NightVision12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Crop to 16:9, zoom 2, sepia, time stamp: the pipeline's usual heavy case.
void BM_Compose12MP(benchmark::State& state) {
    PhotoSettings settings;
    settings.aspectRatio = 16.0f / 9.0f;
    settings.ratioChosen = true;
    settings.modification = static_cast<int>(state.range(0));
    settings.timeStamp = "2024:05:01 12:34:56";
    for (auto _ : state) benchmark::DoNotOptimize(PhotoProcessor::processPhoto(photo(), 2.0f, settings));
    setPixels(state, std::int64_t{kWidth} * kWidth * 9 / 16);
}
BENCHMARK(BM_Compose12MP)->Arg(0)->Arg(1)->Arg(2)->Arg(8)->Arg(9)->Unit(benchmark::kMillisecond);

// The same from the JPEG file's bytes, as kestrel-cli compose runs it:
// 0 decodes the whole photo first, 1 only the blocks the crop and zoom keep.
void BM_ComposeJpeg12MP(benchmark::State& state) {
    PhotoSettings settings;
    settings.aspectRatio = 16.0f / 9.0f;
    settings.ratioChosen = true;
    settings.modification = 2;
    settings.timeStamp = "2024:05:01 12:34:56";
    const bool cropped = state.range(0) == 1;
    for (auto _ : state) {
        if (cropped)
            benchmark::DoNotOptimize(PhotoProcessor::processJpeg(photoJpeg(), 2.0f, settings));
        else
            benchmark::DoNotOptimize(
                PhotoProcessor::processPhoto(*JpegCodec::decode(photoJpeg()), 2.0f, settings));
    }
    setPixels(state, std::int64_t{kWidth} * kWidth * 9 / 16);
}
BENCHMARK(BM_ComposeJpeg12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Encode12MP(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(JpegCodec::encode(photo(), 0.95));
    setPixels(state, std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_Encode12MP)->Unit(benchmark::kMillisecond);

void BM_Decode12MP(benchmark::State& state) {
    const int denominator = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(JpegCodec::decode(photoJpeg(), denominator));
    setPixels(state, std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_Decode12MP)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_Reduce12MPTo640(benchmark::State& state) {
    PhotoSettings settings;
    settings.fullSizePhoto = false;
    for (auto _ : state) {
        const auto decoded = JpegCodec::decodeAtLeast(photoJpeg(), 640, 640);
        benchmark::DoNotOptimize(PhotoProcessor::processPhoto(*decoded, 1.0f, settings));
    }
}
BENCHMARK(BM_Reduce12MPTo640)->Unit(benchmark::kMillisecond);

void BM_Poster75(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ImageDraw::drawPosterImage(photo(), Size{75, 75}));
}
BENCHMARK(BM_Poster75)->Unit(benchmark::kMillisecond);

// The live view's share of a 1280 x 720 camera frame in a 400 x 600 window:
// the frame covers 949 x 534 pixels, of which the middle 400 columns show.
// Arg 0: the fastest path, 1: the portable one.
void BM_LiveViewScale720p(benchmark::State& state) {
    // Frames as a camera hands them: a new one each time, not in any cache.
    std::vector<Bitmap> frames;
    for (int f = 0; f < 24; ++f) {
        frames.emplace_back(1280, 720);
        for (int y = 0; y < 720; ++y)
            for (int x = 0; x < 1280 * 4; ++x) frames.back().row(y)[x] = static_cast<std::uint8_t>(x ^ y ^ f);
    }
    Bitmap shown(400, 534);
    const auto path = state.range(0) == 0 ? BilinearScaler::Path::kFastest : BilinearScaler::Path::kPortable;
    std::size_t next = 0;
    for (auto _ : state) {
        const Bitmap& frame = frames[next++ % frames.size()];
        BilinearScaler::scale({frame.data(), frame.bytesPerRow(), 1280, 720},
                              {shown.data(), shown.bytesPerRow(), 400, 534},
                              {-274.5, 0, 949.3, 534}, path);
        benchmark::ClobberMemory();
    }
    setPixels(state, 400 * 534);
}
BENCHMARK(BM_LiveViewScale720p)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A 12 MP still scaled to a 1600 x 1200 view of it (the shape of a viewer's
// screen). Arg 0: the fastest path, 1: the portable one.
void BM_StillScale12MP(benchmark::State& state) {
    const Bitmap& still = photo().bitmap();
    Bitmap shown(1600, 1200);
    const auto path = state.range(0) == 0 ? BilinearScaler::Path::kFastest : BilinearScaler::Path::kPortable;
    for (auto _ : state) {
        BilinearScaler::scale({still.data(), still.bytesPerRow(), kWidth, kHeight},
                              {shown.data(), shown.bytesPerRow(), 1600, 1200}, {0, 0, 1600, 1200}, path);
        benchmark::ClobberMemory();
    }
    setPixels(state, 1600 * 1200);
}
BENCHMARK(BM_StillScale12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One colour mode's pass over the whole photo (the argument: the mode), on a
// fresh copy of it each time (restored outside the timing).
void BM_ColorMode12MP(benchmark::State& state) {
    const Bitmap& source = photo().bitmap();
    Bitmap pixels = source.clone();
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(pixels.data(), source.data(), source.byteCount());
        state.ResumeTiming();
        ColorModeKernel::apply(pixels, PixelRect{0, 0, kWidth, kHeight}, mode);
        benchmark::ClobberMemory();
    }
    setPixels(state, std::int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_ColorMode12MP)->DenseRange(1, 8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
