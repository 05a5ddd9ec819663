#include "drift_turn_watch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// Paths are tried leaving the loop's from kMinSymbols back up to all the symbols kept,
// every kStep: over fewer symbols noise makes a path look better too often, and a turn
// further back than the span has lost the loop for long enough that the drift search
// takes over.
constexpr int kMinSymbols = 12;
constexpr int kStep = 2;
// A path must line the symbols up by kMargin more a symbol (the mean of cos(4 * phase
// error)) than the loop did, and by at least kMinLock a symbol. At -10 dB in 2500 Hz a
// QPSK31 loop on the station reads some 0.55 a symbol and one slipped off it about 0; a
// loop that has slipped on a straight drift is far more common than a turn, so turning
// round asks for kReverseMargin.
constexpr double kMargin = 0.3;
constexpr double kReverseMargin = 0.35;
// ... and by a symbol's worth over all: with some hundred paths tried at each look, the
// shortest ones otherwise beat a loop that holds a straight drift now and then.
constexpr double kMarginFloor = 1.0;
constexpr double kMinLock = 0.35;
// The loop's frequency where a path leaves it may be off by noise (the wide companion's
// above all), which a path bent the wrong way can make up for over a few symbols: paths
// are also tried this much (radians a symbol, 0.15 Hz at 31.25 baud) either side of it.
constexpr double kFrequencyStep = 0.03;
// Only a rate followed steadily over the symbols kept (within this share of it) is
// looked after: one the drift search found, or a turn taken. The wide companion's own
// measure wanders too much: some path, reversed or not, fits a stretch of noise better
// than it did often enough to throw the station away as often as to find it again.
constexpr double kSteadyRate = 0.3;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double cos4(std::complex<double> v) {
    const std::complex<double> v2 = v * v;
    const double p = std::norm(v2);
    return p > 0.0 ? (v2 * v2).real() / p : 0.0;
}
} // namespace

void DriftTurnWatch::reset() {
    count_ = 0;
    pos_ = 0;
    oscPhase_ = oscFreq_ = 0.0;
}

void DriftTurnWatch::push(cf u, double theta, double omega, double rate, float m) {
    oscPhase_ = std::remainder(oscPhase_ + oscFreq_, kTwoPi);
    const cf back(static_cast<float>(std::cos(oscPhase_)), static_cast<float>(std::sin(oscPhase_)));
    ring_[static_cast<std::size_t>(pos_)] = {cmul(u, back), theta + oscPhase_, omega + oscFreq_, rate, m};
    pos_ = (pos_ + 1) % kSpan;
    count_ = std::min(count_ + 1, kSpan);
}

const DriftTurnWatch::Entry &DriftTurnWatch::back(int n) const {
    return ring_[static_cast<std::size_t>((pos_ - 1 - n + kSpan) % kSpan)];
}

double DriftTurnWatch::path_gain(int from, double rate, double dOmega) const {
    const Entry &s = back(from);
    double theta = s.theta, omega = s.omega + dOmega, gain = 0.0;
    for (int b = from; b >= 0; --b) {
        const Entry &e = back(b);
        const std::complex<double> v = std::complex<double>(e.u.real(), e.u.imag()) * std::polar(1.0, -theta);
        gain += cos4(v) - static_cast<double>(e.m);
        omega += rate;
        theta += omega;
    }
    return gain;
}

bool DriftTurnWatch::look(double minRate, Found &found) {
    if (count_ < kMinSymbols)
        return false;
    double mean = 0.0;
    for (int i = 0; i < count_; ++i)
        mean += ring_[static_cast<std::size_t>(i)].rate;
    mean /= count_;
    if (std::fabs(mean) < minRate)
        return false;
    double lo = mean, hi = mean;
    for (int i = 0; i < count_; ++i) {
        lo = std::min(lo, ring_[static_cast<std::size_t>(i)].rate);
        hi = std::max(hi, ring_[static_cast<std::size_t>(i)].rate);
    }
    if (hi - lo > kSteadyRate * std::fabs(mean))
        return false;
    double best = 0.0, bestRate = 0.0, bestOff = 0.0;
    int bestFrom = -1;
    double own = 0.0; // the loop's lock summed over the symbols from `from` on
    for (int b = 0; b < kMinSymbols - 1; ++b)
        own += static_cast<double>(back(b).m);
    for (int from = kMinSymbols - 1; from < count_; ++from) {
        own += static_cast<double>(back(from).m);
        if ((from - (kMinSymbols - 1)) % kStep != 0)
            continue;
        const double n = from + 1;
        for (const double rate : {mean, -mean}) {
            for (const double off : {-kFrequencyStep, 0.0, kFrequencyStep}) {
                const double gain = path_gain(from, rate, off);
                const double excess = gain - (rate == mean ? kMargin : kReverseMargin) * n - kMarginFloor;
                if (excess > best && own + gain >= kMinLock * n) {
                    best = excess;
                    bestFrom = from;
                    bestRate = rate;
                    bestOff = off;
                }
            }
        }
    }
    if (bestFrom < 0)
        return false;
    // The chosen path carried on to the next symbol, in the loop's terms.
    const Entry &s = back(bestFrom);
    double theta = s.theta, omega = s.omega + bestOff;
    for (int b = bestFrom; b >= 0; --b) {
        omega += bestRate;
        theta += omega;
    }
    found.theta = std::remainder(theta - (oscPhase_ + oscFreq_), kTwoPi);
    found.omega = omega - oscFreq_;
    found.rate = bestRate;
    return true;
}

} // namespace pskmodem
