#include "displays/FrequencyMap.h"
#include <algorithm>
#include <limits>

namespace {

int clampToInt(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

int FrequencyMap::mulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return 0;
    // Every caller passes values below 2^33, so the product fits 64 bits; a
    // quotient beyond an int only happens with a tiny divisor and then lies
    // far outside any image anyway.
    return clampToInt(a * b / c);
}

FrequencyMap FrequencyMap::forBand(int wfMin, int wfMax) {
    FrequencyMap m;
    m.wfMin = wfMin;
    m.wfSpan = clampToInt(int64_t{wfMax} - wfMin);
    m.lowBin = mulDiv(wfMin, FftLength, SampleRate);
    m.highBin = mulDiv(wfMax, FftLength, SampleRate);
    return m;
}

int FrequencyMap::frequencyAt(int pos, int extent) const {
    return clampToInt(int64_t{mulDiv(pos, wfSpan, extent)} + wfMin);
}

int FrequencyMap::positionOf(int frequency, int extent) const {
    return mulDiv(int64_t{frequency} - wfMin, extent, wfSpan);
}

int FrequencyMap::markPosition(int frequency, int extent) const {
    return mulDiv(extent, int64_t{frequency} + 1 - wfMin, wfSpan);
}

int FrequencyMap::binPosition(int bin, int extent) const {
    return mulDiv(int64_t{bin} - lowBin, extent, int64_t{highBin} - lowBin);
}

int FrequencyMap::firstDataBin() const {
    return std::max(lowBin, 0);
}

int FrequencyMap::lastDataBin() const {
    return std::min(highBin, FftBins - 1);
}
