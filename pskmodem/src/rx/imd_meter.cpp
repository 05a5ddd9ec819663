#include "imd_meter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// exp(-j*2*pi*k*n/32) for the tones k = -3, -1, +1, +3.
struct ToneTable {
    std::array<std::array<cf, 32>, 4> t{};
    ToneTable() {
        constexpr int k[4] = {-3, -1, 1, 3};
        for (std::size_t i = 0; i < 4; ++i)
            for (int n = 0; n < 32; ++n) {
                const double a = -2.0 * std::numbers::pi * k[i] * n / 32.0;
                t[i][static_cast<std::size_t>(n)] = cf(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
            }
    }
};
const ToneTable &tones() {
    static const ToneTable table;
    return table;
}
} // namespace

void ImdMeter::reset() {
    for (auto &b : blocks_)
        b.fill(cf{});
    acc_.fill(cf{});
    blockNext_ = blocksFull_ = inBlock_ = phase_ = idleRun_ = 0;
}

void ImdMeter::set_droop(double inner, double outer) {
    droop_ = outer > 0.0 ? (inner * inner) / (outer * outer) : 1.0;
}

void ImdMeter::process(std::span<const cf> in) {
    const auto &t = tones().t;
    for (const cf z : in) {
        const auto p = static_cast<std::size_t>(phase_);
        for (std::size_t i = 0; i < 4; ++i)
            acc_[i] += cmul(z, t[i][p]);
        phase_ = (phase_ + 1) & 31;
        if (++inBlock_ == kRxSamplesPerSymbol) {
            blocks_[static_cast<std::size_t>(blockNext_)] = acc_;
            acc_.fill(cf{});
            inBlock_ = 0;
            blockNext_ = (blockNext_ + 1) % kBlocks;
            if (blocksFull_ < kBlocks)
                ++blocksFull_;
        }
    }
}

std::optional<int> ImdMeter::symbol(bool idle) {
    idleRun_ = idle ? idleRun_ + 1 : 0;
    if (idleRun_ < kBlocks || blocksFull_ < kBlocks)
        return std::nullopt;
    // The oldest kWindow blocks of the ring lie inside the idle run, clear of the
    // newest samples whose symbols are not decided yet.
    std::array<cf, 4> sum{};
    for (int b = 0; b < kWindow; ++b) {
        const auto &blk = blocks_[static_cast<std::size_t>((blockNext_ + b) % kBlocks)];
        for (std::size_t i = 0; i < 4; ++i)
            sum[i] += blk[i];
    }
    idleRun_ = kMargin; // the next reading covers new blocks only
    const double outer = std::norm(sum[0]) + std::norm(sum[3]);
    const double inner = std::norm(sum[1]) + std::norm(sum[2]);
    if (inner <= 0.0)
        return std::nullopt;
    const double ratio = std::max(outer * droop_ / inner, 1e-10);
    return static_cast<int>(std::lround(10.0 * std::log10(ratio)));
}

} // namespace pskmodem
