#include "qpsk_viterbi.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace pskmodem {

int QpskViterbi::phase_change(unsigned reg, bool lsb) {
    const unsigned a = static_cast<unsigned>(std::popcount(reg & 0x17u)) & 1u;
    const unsigned b = static_cast<unsigned>(std::popcount(reg & 0x19u)) & 1u;
    // d = a + 2b: 0 -> 180, 1 -> -90, 2 -> 0, 3 -> +90 degrees.
    static constexpr int kUsb[4] = {2, 3, 0, 1};
    static constexpr int kLsb[4] = {2, 1, 0, 3};
    return (lsb ? kLsb : kUsb)[a + 2 * b];
}

void QpskViterbi::reset() {
    metric_.fill(0.0f);
    path_.fill(0u);
    filled_ = 0;
}

int QpskViterbi::process(cf s) {
    // Correlation of the symbol with each quarter-turn point: 1, j, -1, -j.
    const float corr[4] = {s.real(), s.imag(), -s.real(), -s.imag()};
    constexpr float kNone = -std::numeric_limits<float>::infinity();
    const int phases = coherent_ ? 4 : 1;
    const int states = phases * kCoderStates;
    std::fill(next_.begin(), next_.begin() + states, kNone);
    for (int st = 0; st < states; ++st) {
        const float m = metric_[static_cast<std::size_t>(st)];
        if (m == kNone)
            continue;
        const unsigned coder = static_cast<unsigned>(st) & 15u;
        const int phase = st >> 4;
        for (unsigned bit = 0; bit < 2; ++bit) {
            const unsigned reg = ((coder << 1) | bit) & 31u;
            const int change = phase_change(reg, lsb_);
            if (!coherent_) {
                // The state holds no phase; the symbol is the change itself.
                const auto to = static_cast<std::size_t>(reg & 15u);
                const float cand = m + corr[change];
                if (cand > next_[to]) {
                    next_[to] = cand;
                    nextPath_[to] = (path_[static_cast<std::size_t>(st)] << 1) | bit;
                }
                continue;
            }
            // Coherent: the new absolute phase, or a quarter turn either side of it at
            // a price, for when the carrier loop has slipped.
            for (int slip = -1; slip <= 1; ++slip) {
                const int np = (phase + change + slip) & 3;
                const auto to = static_cast<std::size_t>(np * kCoderStates + static_cast<int>(reg & 15u));
                const float cand = m + corr[np] - (slip != 0 ? kSlipPenalty : 0.0f);
                if (cand > next_[to]) {
                    next_[to] = cand;
                    nextPath_[to] = (path_[static_cast<std::size_t>(st)] << 1) | bit;
                }
            }
        }
    }
    // Keep the metrics small.
    // On a tie (silence gives every branch the same metric) the first state wins: the
    // coder's all-zero state, whose path ends in idle rather than a stray character.
    const auto bestIt = std::max_element(next_.begin(), next_.begin() + states);
    const float best = *bestIt;
    const auto bestState = static_cast<std::size_t>(bestIt - next_.begin());
    for (int st = 0; st < states; ++st) {
        const auto i = static_cast<std::size_t>(st);
        metric_[i] = next_[i] == kNone ? kNone : next_[i] - best;
        path_[i] = nextPath_[i];
    }
    if (filled_ < kDepth) {
        ++filled_;
        return -1;
    }
    return static_cast<int>((path_[bestState] >> (kDepth - 1)) & 1u);
}

} // namespace pskmodem
