#include "channel_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace pskmodem {

namespace {
constexpr double kPi = std::numbers::pi;
using cd = std::complex<double>;

// Seeds for the independent parts of one channel, drawn from its seed.
uint64_t mix_seed(uint64_t seed, uint64_t part) {
    uint64_t z = seed + 0x9e3779b97f4a7c15ull * (part + 1);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}
} // namespace

RayleighPath::RayleighPath(double spreadHz, double seconds, uint64_t seed) {
    // The spectrum must be well inside the low rate for the linear interpolation.
    rate_ = std::max(50.0, 20.0 * spreadHz);
    const auto n = static_cast<std::size_t>(std::ceil(std::max(seconds, 0.0) * rate_)) + 2;
    if (spreadHz <= 0.0) {
        g_.assign(n, cd(1.0, 0.0));
        return;
    }
    // A Gaussian impulse response exp(-t^2 / 2s^2) has the power response
    // exp(-f^2 / 2sigma^2) with sigma = 1 / (2 sqrt(2) pi s); sigma is half the spread.
    const double sigma = spreadHz / 2.0;
    const double s = 1.0 / (2.0 * std::numbers::sqrt2 * kPi * sigma) * rate_; // in samples
    const auto half = static_cast<std::size_t>(std::ceil(4.0 * s));
    std::vector<double> h(2 * half + 1);
    double energy = 0.0;
    for (std::size_t k = 0; k < h.size(); ++k) {
        const double d = static_cast<double>(k) - static_cast<double>(half);
        h[k] = std::exp(-d * d / (2.0 * s * s));
        energy += h[k] * h[k];
    }
    // Unit-power complex white noise through a filter of unit energy: unit power out.
    for (double &v : h)
        v /= std::sqrt(energy);
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> gauss(0.0, std::sqrt(0.5));
    std::vector<cd> w(n + h.size());
    for (cd &v : w)
        v = cd(gauss(rng), gauss(rng));
    g_.assign(n, cd{});
    for (std::size_t i = 0; i < n; ++i) {
        cd acc{};
        for (std::size_t k = 0; k < h.size(); ++k)
            acc += h[k] * w[i + k];
        g_[i] = acc;
    }
}

cd RayleighPath::at(double t) const {
    const double x = std::clamp(t * rate_, 0.0, static_cast<double>(g_.size() - 2));
    const auto i = static_cast<std::size_t>(x);
    const double f = x - static_cast<double>(i);
    return g_[i] * (1.0 - f) + g_[i + 1] * f;
}

double Drift::at(double t) const {
    switch (shape) {
    case Shape::None:
        return 0.0;
    case Shape::Linear:
        return rate * t;
    case Shape::Triangle: {
        if (span <= 0.0 || rate == 0.0)
            return 0.0;
        // In units of the span: 0 -> 1 -> 0 -> -1 -> 0 ...
        const double ph = std::fmod(std::fabs(rate) * t / span + 1.0, 4.0);
        const double v = ph < 2.0 ? ph - 1.0 : 3.0 - ph;
        return (rate > 0.0 ? span : -span) * v;
    }
    }
    return 0.0;
}

ChannelSignal make_channel_signal(const ChannelParams &p) {
    const double rate = 8000.0 * (1.0 + p.clockPpm * 1e-6);
    auto envelope_params = [&](int32_t mode, double preamble, double postamble) {
        TestSignalParams tp;
        tp.mode = mode;
        tp.preamble = preamble;
        tp.postamble = postamble;
        tp.clockPpm = p.clockPpm;
        return tp;
    };
    auto to_sample = [&](double seconds) { return static_cast<long>(std::lround(seconds * rate)); };

    // The wanted transmissions in baseband, around the first one's frequency.
    std::vector<TestEnvelope> envs;
    ChannelSignal out;
    std::size_t n = 0;
    for (const Transmission &t : p.wanted) {
        envs.push_back(make_test_envelope(t.text, envelope_params(t.mode, t.preamble, t.postamble)));
        const auto s0 = static_cast<std::size_t>(std::max(to_sample(t.start), 0L));
        ChannelSignal::Sent sent;
        sent.start = s0 + envs.back().keyedStart;
        sent.end = s0 + envs.back().keyedEnd;
        for (std::size_t c : envs.back().charStarts)
            sent.charStarts.push_back(s0 + c);
        for (std::size_t c : envs.back().charEnds)
            sent.charEnds.push_back(s0 + c);
        n = std::max(n, s0 + envs.back().samples.size());
        out.wanted.push_back(std::move(sent));
    }
    n += static_cast<std::size_t>(std::lround(p.tail * rate));
    out.samples.assign(n, 0.0f);
    if (p.wanted.empty())
        return out;

    // The reference power: the first transmission's mean keyed power at the amplitude.
    const double refPower = p.amplitude * p.amplitude / 2.0 * envs.front().meanPower;
    const double fRef = p.wanted.front().frequency;
    std::vector<cd> base(n, cd{});
    for (std::size_t k = 0; k < p.wanted.size(); ++k) {
        const Transmission &t = p.wanted[k];
        const TestEnvelope &e = envs[k];
        const double amp = p.amplitude * std::pow(10.0, t.levelDb / 20.0);
        const std::size_t s0 = out.wanted[k].start - e.keyedStart;
        const double w = 2.0 * kPi * (t.frequency - fRef) / rate;
        for (std::size_t i = e.keyedStart; i < e.keyedEnd && s0 + i < n; ++i)
            base[s0 + i] += amp * e.samples[i] * std::polar(1.0, w * static_cast<double>(s0 + i) + t.phase);
    }

    // Two equal paths, each of half the power; the second arrives delayed.
    const double seconds = static_cast<double>(n) / rate + 1.0;
    if (p.fading.spreadHz > 0.0) {
        const RayleighPath g1(p.fading.spreadHz, seconds, mix_seed(p.seed, 1));
        const RayleighPath g2(p.fading.spreadHz, seconds, mix_seed(p.seed, 2));
        const auto delay = static_cast<std::size_t>(std::lround(p.fading.delayMs * 1e-3 * rate));
        std::vector<cd> faded(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / rate;
            const cd late = i >= delay ? base[i - delay] : cd{};
            faded[i] = std::sqrt(0.5) * (g1.at(t) * base[i] + g2.at(t) * late);
        }
        base.swap(faded);
    }

    // Up to the carrier, drifting.
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        out.samples[i] = static_cast<float>(std::real(base[i] * cd(std::cos(phase), std::sin(phase))));
        phase += 2.0 * kPi * (fRef + p.drift.at(t)) / rate;
        if (phase > 2.0 * kPi)
            phase -= 2.0 * kPi;
    }

    // The other stations and the carriers.
    for (const ExtraStation &st : p.stations) {
        const TestEnvelope e = make_test_envelope(st.text, envelope_params(st.mode, 1.0, 1.0));
        if (e.meanPower <= 0.0)
            continue;
        const double amp = std::sqrt(2.0 * refPower * std::pow(10.0, st.levelDb / 10.0) / e.meanPower);
        const long s0 = to_sample(st.start);
        for (std::size_t i = e.keyedStart; i < e.keyedEnd; ++i) {
            const long at = s0 + static_cast<long>(i);
            if (at < 0)
                continue;
            if (static_cast<std::size_t>(at) >= n)
                break;
            const double t = static_cast<double>(at) / rate;
            out.samples[static_cast<std::size_t>(at)] += static_cast<float>(
                amp * std::real(e.samples[i] * std::polar(1.0, 2.0 * kPi * st.frequency * t + st.phase)));
        }
    }
    std::mt19937_64 carrierPhases(mix_seed(p.seed, 3));
    std::uniform_real_distribution<double> anyPhase(0.0, 2.0 * kPi);
    for (const ExtraCarrier &c : p.carriers) {
        const double amp = std::sqrt(2.0 * refPower * std::pow(10.0, c.levelDb / 10.0));
        const double ph = anyPhase(carrierPhases);
        for (std::size_t i = 0; i < n; ++i)
            out.samples[i] += static_cast<float>(
                amp * std::cos(2.0 * kPi * c.frequency * static_cast<double>(i) / rate + ph));
    }

    if (p.snrDb < 1000.0) {
        // Noise power in 2500 Hz of the 4000 Hz band.
        const double noiseIn2500 = refPower / std::pow(10.0, p.snrDb / 10.0);
        add_noise(out.samples, std::sqrt(noiseIn2500 * 4000.0 / 2500.0), mix_seed(p.seed, 4));
    }
    return out;
}

} // namespace pskmodem
