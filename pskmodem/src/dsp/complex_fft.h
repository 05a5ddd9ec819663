// In-place complex FFT for the small transforms of the receive channels (a few hundred
// points, made often), on FFTW plans made once per size and shared by every channel.
#pragma once

#include <complex>
#include <mutex>
#include <span>

namespace pskmodem {

// The size must be a power of two, up to 2^kMaxFftLog2. Forward uses exp(-j...); the
// inverse is not scaled (forward then inverse multiplies by the size). Safe to call from
// several threads at once.
inline constexpr int kMaxFftLog2 = 16;
void complex_fft(std::span<std::complex<float>> a, bool inverse = false);

// FFTW's planner is not thread-safe: every plan in the library is made and destroyed
// under this lock (running a plan needs none).
std::mutex &fftw_planner_mutex();

} // namespace pskmodem
