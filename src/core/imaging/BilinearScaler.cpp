#include "core/imaging/BilinearScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KESTREL_SCALER_AVX2 1
#include <immintrin.h>
#endif

namespace kestrel {

namespace {

constexpr int kColumnBits = 6;  // byte-by-byte multiplies take signed weights up to 127
constexpr int kColumnOne = 1 << kColumnBits;
constexpr int kRowBits = 7;  // (lower - upper) × weight stays within 16 bits
constexpr int kRowOne = 1 << kRowBits;

// A target pixel's two source neighbours along one axis: the first one's
// index and the weight of the second (out of kColumnOne or kRowOne).
struct Tap {
    int index;
    int weight;
};

std::vector<Tap> tapsFor(int count, double origin, double extent, int sourceSize, int one) {
    std::vector<Tap> taps(static_cast<std::size_t>(count));
    const double step = sourceSize / extent;
    const int last = std::max(sourceSize - 2, 0);
    for (int i = 0; i < count; ++i) {
        // Pixel centres meet pixel centres; beyond the source its edge repeats.
        const double at = (i + 0.5 - origin) * step - 0.5;
        Tap& tap = taps[static_cast<std::size_t>(i)];
        if (sourceSize < 2 || at <= 0) {
            tap = {0, 0};
        } else if (at >= sourceSize - 1) {
            tap = {last, one};
        } else {
            tap.index = static_cast<int>(at);
            tap.weight = static_cast<int>(std::lround((at - tap.index) * one));
            if (tap.weight == one && tap.index < last) tap = {tap.index + 1, 0};
        }
    }
    return taps;
}

void blendRowsPortable(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                       std::uint8_t* out, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(
            upper[i] + (((lower[i] - upper[i]) * weight + kRowOne / 2) >> kRowBits));
}

// `next` is 4, or 0 for a source one pixel wide (both neighbours are the one pixel).
void blendColumnsPortable(const std::uint8_t* row, std::size_t next, const Tap* taps, int from,
                          int to, std::uint8_t* out) {
    for (int x = from; x < to; ++x) {
        const std::uint8_t* left = row + 4 * static_cast<std::size_t>(taps[x].index);
        const std::uint8_t* right = left + next;
        const int weight = taps[x].weight;
        std::uint8_t* pixel = out + 4 * static_cast<std::size_t>(x);
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<std::uint8_t>(
                (left[c] * (kColumnOne - weight) + right[c] * weight + kColumnOne / 2) >> kColumnBits);
        pixel[3] = 0xff;
    }
}

#ifdef KESTREL_SCALER_AVX2

#define KESTREL_AVX2 __attribute__((target("avx2")))

// The weight never reaches kRowOne here (that row is used as it is), so
// weight << 8 fits a signed 16-bit factor and the rounded high half of the
// product is exactly ((lower - upper) × weight + 64) >> 7.
KESTREL_AVX2 inline __m256i blendWords(__m256i upper, __m256i lower, __m256i factor) {
    return _mm256_add_epi16(upper, _mm256_mulhrs_epi16(_mm256_sub_epi16(lower, upper), factor));
}

KESTREL_AVX2 void blendRowsAvx2(const std::uint8_t* upper, const std::uint8_t* lower, int weight,
                                std::uint8_t* out, std::size_t bytes) {
    const __m256i factor = _mm256_set1_epi16(static_cast<short>(weight << 8));
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + i));
        // Widening and packing both work lane by lane, so the order comes back.
        const __m256i low = blendWords(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero), factor);
        const __m256i high = blendWords(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero), factor);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(low, high));
    }
    blendRowsPortable(upper + i, lower + i, weight, out + i, bytes - i);
}

KESTREL_AVX2 inline long long neighbours(const std::uint8_t* row, const Tap& tap) {
    long long both;
    std::memcpy(&both, row + 4 * static_cast<std::size_t>(tap.index), sizeof both);
    return both;
}

// Four target pixels as sixteen 16-bit channel values.
KESTREL_AVX2 inline __m256i fourPixels(const std::uint8_t* row, const Tap* taps,
                                      const std::uint64_t* weights) {
    const __m256i interleave =
        _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,  //
                         0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i pixels = _mm256_shuffle_epi8(
        _mm256_setr_epi64x(neighbours(row, taps[0]), neighbours(row, taps[1]),
                           neighbours(row, taps[2]), neighbours(row, taps[3])),
        interleave);
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights));
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_maddubs_epi16(pixels, w), _mm256_set1_epi16(kColumnOne / 2)),
        kColumnBits);
}

// Eight target pixels at a time: each one's two neighbours are eight
// adjacent bytes, interleaved channel by channel and multiplied by the
// pixel's weights in one step.
KESTREL_AVX2 void blendColumnsAvx2(const std::uint8_t* row, const Tap* taps,
                                   const std::uint64_t* weights, int count, std::uint8_t* out) {
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i packed = _mm256_permute4x64_epi64(
            _mm256_packus_epi16(fourPixels(row, taps + x, weights + x),
                                fourPixels(row, taps + x + 4, weights + x + 4)),
            0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * static_cast<std::size_t>(x)),
                            _mm256_or_si256(packed, opaque));
    }
    blendColumnsPortable(row, 4, taps, x, count, out);
}

#endif

}  // namespace

bool BilinearScaler::hasVectorPath() {
#ifdef KESTREL_SCALER_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
#else
    return false;
#endif
}

void BilinearScaler::scale(const Source& source, const Target& target, const Placement& placement,
                           Path path) {
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0 ||
        !(placement.width > 0) || !(placement.height > 0))
        return;
    std::vector<Tap> columns =
        tapsFor(target.width, placement.x, placement.width, source.width, kColumnOne);
    const std::vector<Tap> rows =
        tapsFor(target.height, placement.y, placement.height, source.height, kRowOne);
    // Only the source columns some target pixel reads are blended row by row.
    const int first = columns.front().index;
    const int span = std::min(columns.back().index + 2, source.width) - first;
    for (Tap& tap : columns) tap.index -= first;
    const std::size_t next = span > 1 ? 4 : 0;
    const std::size_t spanBytes = 4 * static_cast<std::size_t>(span);
    std::vector<std::uint8_t> blended(spanBytes);

#ifdef KESTREL_SCALER_AVX2
    const bool vector = path == Path::kFastest && hasVectorPath() && next == 4;
    std::vector<std::uint64_t> weights;
    if (vector) {
        weights.reserve(columns.size());
        for (const Tap& tap : columns) {
            const std::uint64_t pair = static_cast<std::uint64_t>(kColumnOne - tap.weight) |
                                       static_cast<std::uint64_t>(tap.weight) << 8;
            weights.push_back(pair * 0x0001000100010001ull);
        }
    }
#else
    (void)path;
#endif

    for (int y = 0; y < target.height; ++y) {
        const Tap tap = rows[static_cast<std::size_t>(y)];
        const std::uint8_t* upper = source.pixels +
                                    static_cast<std::size_t>(tap.index) * source.bytesPerRow +
                                    4 * static_cast<std::size_t>(first);
        const std::uint8_t* row = upper;
        if (tap.weight == kRowOne) {
            row = upper + source.bytesPerRow;
        } else if (tap.weight > 0) {
#ifdef KESTREL_SCALER_AVX2
            if (vector)
                blendRowsAvx2(upper, upper + source.bytesPerRow, tap.weight, blended.data(), spanBytes);
            else
#endif
                blendRowsPortable(upper, upper + source.bytesPerRow, tap.weight, blended.data(),
                                  spanBytes);
            row = blended.data();
        }
        std::uint8_t* out = target.pixels + static_cast<std::size_t>(y) * target.bytesPerRow;
#ifdef KESTREL_SCALER_AVX2
        if (vector) {
            blendColumnsAvx2(row, columns.data(), weights.data(), target.width, out);
            continue;
        }
#endif
        blendColumnsPortable(row, next, columns.data(), 0, target.width, out);
    }
}

}  // namespace kestrel
