#include "tx_reference.h"

#include "dsp/varicode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace tx_reference {

std::vector<std::complex<double>> boundary_phasors(std::span<const float> x, double hertz,
                                                   int samplesPerSymbol) {
    // A Hann-weighted correlation over a quarter of a symbol around the boundary: short,
    // because away from the boundary the next transition has begun.
    const int half = samplesPerSymbol / 8;
    std::vector<std::complex<double>> out;
    const double w = 2.0 * std::numbers::pi * hertz / 8000.0;
    for (std::size_t b = 0; b <= x.size(); b += static_cast<std::size_t>(samplesPerSymbol)) {
        std::complex<double> sum;
        double weight = 0.0;
        for (int m = -half; m < half; ++m) {
            const long n = static_cast<long>(b) + m;
            if (n < 0 || n >= static_cast<long>(x.size()))
                continue;
            const double h = 0.5 + 0.5 * std::cos(std::numbers::pi * m / half);
            sum += h * static_cast<double>(x[static_cast<std::size_t>(n)]) *
                   std::polar(1.0, -w * static_cast<double>(n));
            weight += h;
        }
        out.push_back(weight > 0 ? 2.0 * sum / weight : std::complex<double>{});
    }
    return out;
}

std::vector<int> quarter_turns(const std::vector<std::complex<double>> &phasors) {
    // Boundaries where the signal is faded out (start, end, around a CW identification)
    // carry no phase.
    double peak = 0.0;
    for (const auto &p : phasors)
        peak = std::max(peak, std::abs(p));
    std::vector<int> out;
    for (std::size_t k = 1; k < phasors.size(); ++k) {
        if (std::abs(phasors[k]) < 0.3 * peak || std::abs(phasors[k - 1]) < 0.3 * peak)
            continue;
        const double a = std::arg(phasors[k] * std::conj(phasors[k - 1]));
        out.push_back(static_cast<int>(std::lround(a / (std::numbers::pi / 2))) & 3);
    }
    return out;
}

std::vector<int> bpsk_bits(const std::vector<int> &turns) {
    std::vector<int> bits;
    for (const int t : turns)
        bits.push_back(t == 0 ? 1 : 0);
    return bits;
}

std::vector<int> qpsk_bits(const std::vector<int> &turns, bool lowerSideband) {
    // Upper sideband: d = 0 -> 180 deg, 1 -> -90, 2 -> 0, 3 -> +90; the lower sideband
    // swaps +90 and -90.
    std::vector<int> bits;
    unsigned reg = 0;
    for (int t : turns) {
        if (lowerSideband && (t == 1 || t == 3))
            t = 4 - t;
        static constexpr int kDOfTurn[4] = {2, 3, 0, 1}; // turn 0 -> d 2, +90 -> 3, 180 -> 0, -90 -> 1
        const unsigned a = static_cast<unsigned>(kDOfTurn[t]) & 1u;
        // a = parity(reg & 0x17) with the new bit in bit 0, so the new bit is a xor the
        // parity of the older taps.
        const unsigned older = ((reg << 1) & 0x16u);
        const unsigned bit = a ^ (static_cast<unsigned>(std::popcount(older)) & 1u);
        reg = ((reg << 1) | bit) & 0x1fu;
        bits.push_back(static_cast<int>(bit));
    }
    return bits;
}

std::string varicode_text(const std::vector<int> &bits) {
    std::string text;
    uint32_t code = 0;
    int length = 0;
    int zeros = 0;
    for (const int b : bits) {
        if (b) {
            if (zeros == 1) { // a single zero inside a code
                code <<= 1;
                ++length;
            }
            zeros = 0;
            code = (code << 1) | 1u;
            ++length;
        } else if (++zeros == 2 && length > 0) {
            const int c = pskmodem::Varicode::decode(code, length);
            text += c >= 0 ? static_cast<char>(c) : '~';
            code = 0;
            length = 0;
        }
        if (length > pskmodem::Varicode::MaxLength) { // the steady carrier of the end
            code = 0;
            length = 0;
        }
    }
    return text;
}

std::string decode(std::span<const float> x, double hertz, int mode) {
    const int sps = mode >= 8 ? 128 : 256;
    const std::vector<int> turns = quarter_turns(boundary_phasors(x, hertz, sps));
    const int keying = mode & 7;
    return varicode_text(keying == 0 ? bpsk_bits(turns) : qpsk_bits(turns, keying == 2));
}

} // namespace tx_reference
