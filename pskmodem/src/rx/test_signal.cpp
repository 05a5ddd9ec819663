#include "test_signal.h"

#include "dsp/varicode.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace pskmodem {

namespace {
constexpr double kPi = std::numbers::pi;

// The phase change in quarter turns of QPSK for the encoder register.
int qpsk_change(unsigned reg, bool lsb) {
    auto parity = [](unsigned v) {
        unsigned p = 0;
        for (; v; v >>= 1)
            p ^= v & 1u;
        return p;
    };
    const unsigned a = parity(reg & 0x17u);
    const unsigned b = parity(reg & 0x19u);
    const unsigned d = a + 2 * b; // 0: 180, 1: -90, 2: 0, 3: +90 degrees
    static constexpr int kUsb[4] = {2, 3, 0, 1};
    static constexpr int kLsb[4] = {2, 1, 0, 3};
    return (lsb ? kLsb : kUsb)[d];
}
} // namespace

std::vector<uint8_t> varicode_bits(const std::string &text) {
    std::vector<uint8_t> bits;
    for (unsigned char c : text) {
        for (char b : Varicode::code(c))
            bits.push_back(b == '1' ? 1 : 0);
        bits.push_back(0);
        bits.push_back(0);
    }
    return bits;
}

void add_noise(std::vector<float> &x, double sigma, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> g(0.0, sigma);
    for (float &s : x)
        s = static_cast<float>(s + g(rng));
}

TestEnvelope make_test_envelope(const std::string &text, const TestSignalParams &p) {
    const bool qpsk = p.mode == 1 || p.mode == 2 || p.mode == 9 || p.mode == 10;
    const bool lsb = p.mode == 2 || p.mode == 10;
    const double baud = p.mode >= 8 ? 62.5 : 31.25;
    const double T = 1.0 / baud;

    // The bit stream: idle, text, then ones (steady carrier).
    std::vector<uint8_t> bits(static_cast<std::size_t>(std::lround(p.preamble * baud)), 0);
    const std::size_t textStart = bits.size();
    const auto textBits = varicode_bits(text);
    bits.insert(bits.end(), textBits.begin(), textBits.end());
    bits.insert(bits.end(), static_cast<std::size_t>(std::lround(p.postamble * baud)), 1);

    // Symbol phasors; a[0] is the phase before the first symbol period.
    std::vector<std::complex<double>> a(bits.size() + 1);
    a[0] = 1.0;
    unsigned reg = 0;
    int quarter = 0;
    for (std::size_t k = 0; k < bits.size(); ++k) {
        if (!qpsk) {
            if (bits[k] == 0)
                quarter += 2;
        } else {
            reg = ((reg << 1) | bits[k]) & 31u;
            quarter += qpsk_change(reg, lsb);
        }
        const double ph = kPi / 2 * (quarter & 3);
        a[k + 1] = std::polar(1.0, ph);
    }

    // Samples at the receiving card's rate.
    const double rate = 8000.0 * (1.0 + p.clockPpm * 1e-6);
    const double keyed = static_cast<double>(bits.size()) * T;
    const double total = keyed + 2 * p.leadSilence;
    const auto n = static_cast<std::size_t>(std::ceil(total * rate));
    TestEnvelope out;
    out.samples.assign(n, 0.0);
    out.keyedStart = n;
    double power = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate - p.leadSilence;
        if (t < 0.0 || t >= keyed)
            continue;
        // (t / T may round up to the count of symbols just before the end.)
        const auto k = std::min(static_cast<std::size_t>(t / T), bits.size() - 1);
        const double tau = (t - static_cast<double>(k) * T) / T;
        const double w = 0.5 * (1.0 + std::cos(kPi * tau));
        const std::complex<double> s = a[k] * w + a[k + 1] * (1.0 - w);
        out.samples[i] = s;
        power += std::norm(s);
        out.keyedStart = std::min(out.keyedStart, i);
        out.keyedEnd = i + 1;
    }
    if (out.keyedEnd > out.keyedStart)
        out.meanPower = power / static_cast<double>(out.keyedEnd - out.keyedStart);

    // Where each character's symbol periods start and end.
    std::size_t k = textStart;
    for (unsigned char c : text) {
        out.charStarts.push_back(
            static_cast<std::size_t>(std::ceil((p.leadSilence + static_cast<double>(k) * T) * rate)));
        k += Varicode::code(c).size() + 2;
        out.charEnds.push_back(
            static_cast<std::size_t>(std::ceil((p.leadSilence + static_cast<double>(k) * T) * rate)));
    }
    return out;
}

TestSignal make_test_signal(const std::string &text, const TestSignalParams &p) {
    const TestEnvelope env = make_test_envelope(text, p);
    const double rate = 8000.0 * (1.0 + p.clockPpm * 1e-6);
    TestSignal out;
    out.samples.assign(env.samples.size(), 0.0f);
    out.charEnds = env.charEnds;
    double power = 0.0;
    for (std::size_t i = env.keyedStart; i < env.keyedEnd; ++i) {
        const double t = static_cast<double>(i) / rate - p.leadSilence;
        const double x =
            p.amplitude * std::real(env.samples[i] * std::polar(1.0, 2 * kPi * p.frequency * t + p.phase));
        out.samples[i] = static_cast<float>(x);
        power += x * x;
    }
    const std::size_t keyedSamples = env.keyedEnd - std::min(env.keyedStart, env.keyedEnd);

    if (p.snrDb < 1000.0 && keyedSamples > 0) {
        // Noise power in 2500 Hz of the 4000 Hz band.
        const double ps = power / static_cast<double>(keyedSamples);
        const double noiseIn2500 = ps / std::pow(10.0, p.snrDb / 10.0);
        add_noise(out.samples, std::sqrt(noiseIn2500 * 4000.0 / 2500.0), p.seed);
    }
    return out;
}

std::size_t edit_distance(const std::string &a, const std::string &b) {
    std::vector<std::size_t> prev(b.size() + 1), cur(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        prev[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

ChannelSettings tuned_channel(int32_t mode, int32_t hz, int32_t capture, int32_t afc) {
    ChannelSettings s;
    s.enabled = true;
    s.mode = mode;
    s.frequency = hz;
    s.captureRange = capture;
    s.afcLimit = afc;
    s.tuneSerial = 1;
    return s;
}

} // namespace pskmodem
