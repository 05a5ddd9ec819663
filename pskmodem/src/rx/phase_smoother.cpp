#include "phase_smoother.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// The signal is weak while the mean power of its latest four symbols stands below this
// fraction of its slow mean (weight kLevelWeight a symbol, some eight seconds at 31.25
// baud): a fade, as white noise on a steady signal hardly ever reads, even at the
// weakest copyable levels.
constexpr float kWeakFraction = 0.25f;
constexpr float kLevelWeight = 1.0f / 256.0f;
// ... and only on a signal whose mean stands at least kStrong above the noise (10 dB in
// the symbol's bandwidth, 0 dB in 2500 Hz at 31.25 baud reads some 17 dB): a weak
// steady signal dips so now and then with the noise, and there the loop does as well.
constexpr float kStrong = 10.0f;
// The channel's phase counts as steady while the squared symbols kSpread apart agree
// (mean of their product over its magnitude, weight kSteadyWeight a symbol) at least
// kSteady times as well as neighbouring ones: noise lowers both alike. Watterson
// "good" (0.1 Hz) reads 0.97 and more over a run, "moderate" (0.5 Hz) 0.88 and less.
constexpr int kSpread = 16;
constexpr float kSteady = 0.94f;
constexpr float kSteadyWeight = 1.0f / 64.0f;
} // namespace

void PhaseSmoother::reset() {
    ring_.fill(Entry{});
    recent_.fill(0.0f);
    next_ = 0;
    count_ = 0;
    delay_ = 0;
    phase_ = 0.0;
    level_ = noise_ = 0.0f;
    near_ = far_ = cf{};
    nearMag_ = farMag_ = 0.0f;
}

bool PhaseSmoother::weak(float power) {
    std::copy_backward(recent_.begin(), recent_.end() - 1, recent_.end());
    recent_[0] = power;
    level_ = level_ == 0.0f ? power : level_ + (power - level_) * kLevelWeight;
    if (count_ > 1) {
        // Half the change from the previous symbol, with or without a reversal: the
        // noise of one symbol, for a channel that moves little from one to the next.
        const cf a = at(0).z, b = at(1).z;
        const float d = 0.5f * std::min(std::norm(a - b), std::norm(a + b));
        noise_ = noise_ == 0.0f ? d : noise_ + (d - noise_) * kLevelWeight;
    }
    if (level_ < kStrong * noise_)
        return false;
    const int n = std::min(count_, static_cast<int>(recent_.size()));
    float sum = 0.0f;
    for (int i = 0; i < n; ++i)
        sum += recent_[static_cast<std::size_t>(i)];
    return n > 0 && sum < kWeakFraction * level_ * static_cast<float>(n);
}

bool PhaseSmoother::steady() {
    if (count_ <= kSpread)
        return false;
    const auto sq = [](cf z) { return cmul(z, z); };
    const cf a = sq(at(0).z), b = sq(at(1).z), c = sq(at(kSpread).z);
    near_ += (cmul_conj(a, b) - near_) * kSteadyWeight;
    far_ += (cmul_conj(a, c) - far_) * kSteadyWeight;
    nearMag_ += (std::abs(a) * std::abs(b) - nearMag_) * kSteadyWeight;
    farMag_ += (std::abs(a) * std::abs(c) - farMag_) * kSteadyWeight;
    return nearMag_ > 0.0f && farMag_ > 0.0f &&
           std::abs(far_) * nearMag_ >= kSteady * std::abs(near_) * farMag_;
}

cf PhaseSmoother::reference(int back) const {
    // Nearer symbols count more: the phase does move a little over the span.
    cf s{};
    const int from = std::max(0, back - kReach);
    const int to = std::min(count_ - 1, back + kReach);
    for (int i = from; i <= to; ++i) {
        const cf z = at(i).z;
        s += cmul(z, z) * static_cast<float>(kReach + 1 - std::abs(i - back));
    }
    if (std::norm(s) == 0.0f)
        return {1.0f, 0.0f};
    const float ph = std::arg(s) / 2.0f;
    return {std::cos(ph), std::sin(ph)};
}

SoftBit PhaseSmoother::decide(int back) const {
    const cf r1 = reference(back);
    cf r0 = reference(back + 1);
    // The reference is known only up to its sign: keep the earlier one on the side of
    // the later, so that the two decisions compare like with like.
    if (cmul_conj(r1, r0).real() < 0.0f)
        r0 = -r0;
    const float c1 = cmul_conj(at(back).z, r1).real();
    const float c0 = cmul_conj(at(back + 1).z, r0).real();
    SoftBit b;
    b.bit = (c1 >= 0.0f) == (c0 >= 0.0f) ? 1 : 0;
    b.reliability = std::min(std::fabs(c1), std::fabs(c0)) / std::max(at(back).amp, 1e-12f);
    b.later = std::fabs(c1) / std::max(at(back).amp, 1e-12f);
    return b;
}

int PhaseSmoother::push(cf u, double omega, float amplitude, SoftBit loopBit, bool held,
                        std::span<SoftBit, 2> out) {
    const cf rot(static_cast<float>(std::cos(phase_)), static_cast<float>(-std::sin(phase_)));
    ring_[static_cast<std::size_t>(next_)] = Entry{cmul(u, rot), amplitude};
    next_ = (next_ + 1) & (kRing - 1);
    count_ = std::min(count_ + 1, kRing);
    phase_ = std::remainder(phase_ + omega, 2.0 * std::numbers::pi);
    const bool still = steady();
    const bool fading = weak(std::norm(u)) && still && held;

    if (delay_ == 0 && !fading) {
        out[0] = loopBit;
        return 1;
    }
    // Each waiting symbol needs the one before it in the ring for its decision.
    const int most = std::min(kReach, count_ - 2);
    if (fading) {
        if (delay_ < most) {
            ++delay_;
            return 0;
        }
        out[0] = delay_ < count_ - 1 ? decide(delay_) : loopBit;
        return 1;
    }
    // Strong again: catch up, two symbols at a time.
    ++delay_;
    int n = 0;
    while (n < 2 && delay_ > 0) {
        --delay_;
        out[static_cast<std::size_t>(n++)] = decide(delay_);
    }
    return n;
}

} // namespace pskmodem
