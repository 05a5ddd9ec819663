// In-place radix-2 FFT on complex floats, for the small transforms of the receive
// channels (a few hundred points, made often): FFTW plans are kept for the spectrum.
#pragma once

#include <complex>
#include <span>

namespace pskmodem {

// The size must be a power of two. Forward uses exp(-j...); the inverse is not scaled
// (forward then inverse multiplies by the size).
void radix2_fft(std::span<std::complex<float>> a, bool inverse = false);

} // namespace pskmodem
