#include "complex_fft.h"

#include <array>
#include <atomic>
#include <bit>
#include <cassert>
#include <fftw3.h>

namespace pskmodem {

namespace {
using cf = std::complex<float>;

// Plans by direction and size (log2), made on first use and kept for the program's life.
std::array<std::array<std::atomic<fftwf_plan>, kMaxFftLog2 + 1>, 2> plans{};

fftwf_plan plan_for(std::size_t n, bool inverse) {
    const auto log2 = static_cast<std::size_t>(std::countr_zero(n));
    std::atomic<fftwf_plan> &slot = plans[inverse ? 1 : 0][log2];
    if (fftwf_plan p = slot.load(std::memory_order_acquire))
        return p;
    std::lock_guard lock(fftw_planner_mutex());
    if (fftwf_plan p = slot.load(std::memory_order_relaxed))
        return p;
    // An in-place plan for data of any alignment; FFTW_ESTIMATE leaves the scratch alone.
    fftwf_complex *scratch = fftwf_alloc_complex(n);
    fftwf_plan p = fftwf_plan_dft_1d(static_cast<int>(n), scratch, scratch,
                                     inverse ? FFTW_BACKWARD : FFTW_FORWARD, FFTW_ESTIMATE | FFTW_UNALIGNED);
    fftwf_free(scratch);
    slot.store(p, std::memory_order_release);
    return p;
}
} // namespace

std::mutex &fftw_planner_mutex() {
    static std::mutex m;
    return m;
}

void complex_fft(std::span<cf> a, bool inverse) {
    const std::size_t n = a.size();
    assert(std::has_single_bit(n) && n <= (std::size_t{1} << kMaxFftLog2));
    if (n <= 1)
        return;
    // std::complex<float> and fftwf_complex share their layout (FFTW's manual, "Complex numbers").
    auto *data = reinterpret_cast<fftwf_complex *>(a.data());
    fftwf_execute_dft(plan_for(n, inverse), data, data);
}

} // namespace pskmodem
