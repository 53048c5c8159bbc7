#include "core/imaging/CAutoNightVisionImageEffect.h"

#include "core/imaging/NightVisionRows.h"
#include "core/imaging/ParallelRows.h"

#include <algorithm>
#include <vector>

namespace kestrel {

void CAutoNightVisionImageEffect::SetInput(std::uint8_t* data, std::uint32_t width,
                                           std::uint32_t height, std::size_t bytesPerRow) {
    CYImageEffect::SetInput(data, width, height, bytesPerRow);
    histogram_.fill(0);
    map_.fill(0);
    low_ = high_ = 0;
}

int CAutoNightVisionImageEffect::ProcessSelf() {
    // Most pictures: the top of the histogram is enough (see sampleCut).
    const int cut = sampleCut();
    if (cut >= 0) countTop(cut);
    if (cut < 0 || !findHigh(cut)) {
        countAll();
        findHigh(0);
    }
    buildMap();
    applyMap();
    return 1;
}

namespace {

using Tables = NightVisionRows::Histograms;
using TopCounts = NightVisionRows::TopCounts;

// Every sampled row is this many rows from the next; pictures of fewer rows
// than kMinSampledRows samples are counted whole.
constexpr std::uint32_t kSampleStep = 32;
constexpr std::uint32_t kMinSampledRows = 16;
// The cut leaves about this share of the sampled pixels above or at it: four
// times the brightest share the stretch looks for.
constexpr std::int64_t kCutShareDivisor = 50;

void addTables(const Tables& tables, std::array<std::int64_t, 256>& into) {
    for (const NightVisionRows::Counts& counts : tables)
        for (std::size_t j = 0; j < 256; ++j) into[j] += counts[j];
}

}  // namespace

// The stretch needs the smallest luma and the lumas of the brightest 0.5 %
// of the pixels, not the whole histogram: a few rows spread over the
// picture tell where that top begins, and the full pass then counts exactly
// only the lumas from there up, skipping most pixels a vector at a time.
// Should the sample have misjudged the top, the whole histogram is counted.
// Both ways give the same thresholds.
int CAutoNightVisionImageEffect::sampleCut() const {
    const std::uint32_t sampled = height_ / kSampleStep;
    if (sampled < kMinSampledRows) return -1;
    Tables sample{};
    for (std::uint32_t i = 0; i < sampled; ++i)
        NightVisionRows::countRow(data_ + (i * kSampleStep + kSampleStep / 2) * bytesPerRow_,
                                  width_, sample);
    std::array<std::int64_t, 256> counts{};
    addTables(sample, counts);
    const std::int64_t share = static_cast<std::int64_t>(sampled) * width_ / kCutShareDivisor;
    std::int64_t sum = 0;
    for (int j = 235; j > 0; --j) {
        sum += counts[static_cast<std::size_t>(j)];
        if (sum > share) return j;
    }
    return -1;
}

void CAutoNightVisionImageEffect::countTop(int cut) {
    std::vector<TopCounts> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        NightVisionRows::countTopBand(data_ + static_cast<std::size_t>(begin) * bytesPerRow_,
                                      bytesPerRow_, static_cast<std::uint32_t>(end - begin), width_,
                                      static_cast<std::uint32_t>(cut),
                                      partial[static_cast<std::size_t>(band)]);
    });
    histogram_.fill(0);
    std::uint32_t least = 255;
    for (const TopCounts& counts : partial) {
        addTables(counts.above, histogram_);
        histogram_[static_cast<std::size_t>(cut)] += static_cast<std::int64_t>(counts.atCut);
        least = std::min(least, counts.least);
    }
    low_ = static_cast<int>(least);
}

void CAutoNightVisionImageEffect::countAll() {
    std::vector<Tables> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        Tables& h = partial[static_cast<std::size_t>(band)];
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y)
            NightVisionRows::countRow(data_ + y * bytesPerRow_, width_, h);
    });
    histogram_.fill(0);
    for (const Tables& h : partial) addTables(h, histogram_);
    low_ = 0;
    while (low_ < 255 && histogram_[static_cast<std::size_t>(low_)] == 0) ++low_;
}

bool CAutoNightVisionImageEffect::findHigh(int from) {
    // The brightest 0.5 % of the pixels lie above `high`.
    const std::int64_t brightest = static_cast<std::int64_t>(width_) * height_ / 200;
    std::int64_t sum = 0;
    high_ = 235;
    for (int j = 235; j >= from; --j) {
        sum += histogram_[static_cast<std::size_t>(j)];
        if (sum > brightest) {
            high_ = j;
            return true;
        }
    }
    return false;
}

void CAutoNightVisionImageEffect::buildMap() {
    for (int j = 0; j < 256; ++j) {
        int value = 0;
        if (j < low_)
            value = 0;
        else if (j > high_)
            value = 255;
        else if (high_ == low_)
            value = 255;  // one uniform luma: no stretch to make
        else
            value = (j - low_) * 255 / (high_ - low_);
        map_[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(value);
    }
}

void CAutoNightVisionImageEffect::applyMap() {
    if (high_ <= low_) {  // one uniform luma: the table, pixel by pixel
        ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
            for (int y = begin; y < end; ++y)
                NightVisionRows::stretchRowReference(
                    data_ + static_cast<std::size_t>(y) * bytesPerRow_, width_, map_);
        });
        return;
    }
    const float inverse = 1.0f / static_cast<float>(high_ - low_);
    // Bottom up: the rows the counting pass read last are still in the cache.
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
        for (int y = begin; y < end; ++y)
            NightVisionRows::stretchRow(data_ + static_cast<std::size_t>(y) * bytesPerRow_, width_,
                                        low_, inverse, map_);
    });
}

}  // namespace kestrel
