#include "qpsk_acquirer.h"

#include "dsp/radix2_fft.h"
#include "qpsk_viterbi.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>

namespace pskmodem {

namespace {
constexpr double kPi = std::numbers::pi;

// Symbols between looks for reversals, and between full looks; the fewest symbols
// a look is made on.
constexpr int kReversalHop = 4;
constexpr int kFullHop = 8;
constexpr int kMinReversals = 16;
constexpr int kMinFull = 24;
// Reversals are looked for over the last 16 and the last 32 symbols, and taken when
// their line stands this far above the median: the shorter sees a strong preamble
// sooner, the longer a weak one. The receiver's noise is not white at the symbol rate,
// and over 16 symbols it reached 46 in twenty minutes; over 32, 24. A preamble at
// -12.5 dB stands at 70 to 130 over 32 symbols.
struct ReversalWindow {
    int symbols;
    double score;
};
constexpr ReversalWindow kReversalWindows[] = {{16, 80.0}, {32, 40.0}};
constexpr int kReversalPad = 128;
constexpr int kRecentSymbols = 32;
constexpr int kPad = 2 * QpskAcquirer::kWindow; // bins for the fourth power's line
// How much better (in the margin's units) the other sideband must decode than this one.
constexpr double kSidebandMargin = 0.5;

// The strongest line of a spectrum: its place in bins (-n/2 .. n/2, the fraction from a
// parabola through the log powers) and its power against the median of all bins.
struct Peak {
    double bin = 0.0;
    double score = 0.0;
};

Peak find_peak(std::span<const cf> z) {
    const std::size_t n = z.size();
    std::array<float, kPad> pw{};
    std::size_t peak = 0;
    for (std::size_t k = 0; k < n; ++k) {
        pw[k] = std::norm(z[k]);
        if (pw[k] > pw[peak])
            peak = k;
    }
    const float top = pw[peak];
    const double l = std::log(pw[(peak + n - 1) % n] + 1e-30);
    const double r = std::log(pw[(peak + 1) % n] + 1e-30);
    std::nth_element(pw.begin(), pw.begin() + static_cast<std::ptrdiff_t>(n / 2),
                     pw.begin() + static_cast<std::ptrdiff_t>(n));
    const double median = pw[n / 2];
    if (median <= 0.0 || top <= 0.0f)
        return {};
    const double c = std::log(static_cast<double>(top));
    const double den = l - 2.0 * c + r;
    const double frac = den < 0.0 ? std::clamp(0.5 * (l - r) / den, -0.5, 0.5) : 0.0;
    const auto half = static_cast<std::ptrdiff_t>(n / 2);
    const auto k = static_cast<std::ptrdiff_t>(peak);
    return {static_cast<double>(k < half ? k : k - 2 * half) + frac, top / median};
}
} // namespace

void QpskAcquirer::set_mode(double baud, bool lsb) {
    baud_ = baud;
    lsb_ = lsb;
    reset();
}

void QpskAcquirer::reset() {
    ring_.fill(cf{});
    head_ = 0;
    count_ = kept_ = 0;
    sinceLook_ = 0;
    phase_ = widePhase_ = 0.0;
    wide_.fill(cf{});
    wideHead_ = 0;
    wideCount_ = 0;
}

cf QpskAcquirer::turned(cf u, double &phase, double radians) {
    phase = std::remainder(phase + radians, 2.0 * kPi);
    return cmul(u, cf(static_cast<float>(std::cos(phase)), static_cast<float>(std::sin(phase))));
}

QpskAcquirer::Look QpskAcquirer::push(cf u, double offsetHz, bool locked) {
    head_ = (head_ + 1) % kHistory;
    ring_[static_cast<std::size_t>(head_)] = turned(u, phase_, 2.0 * kPi * offsetHz / baud_);
    count_ = std::min(count_ + 1, kWindow);
    kept_ = std::min(kept_ + 1, kHistory);
    if (count_ < kMinReversals || ++sinceLook_ % kReversalHop != 0)
        return Look::None;
    // A held lock is checked half as often.
    if (count_ < kMinFull || sinceLook_ < (locked ? 2 * kFullHop : kFullHop))
        return Look::Reversals;
    sinceLook_ = 0;
    return Look::Full;
}

void QpskAcquirer::push_wide(cf y, double offsetHz) {
    wideHead_ = (wideHead_ + 1) % (kWide * kWindow);
    wide_[static_cast<std::size_t>(wideHead_)] =
        turned(y, widePhase_, 2.0 * kPi * offsetHz / (kWide * baud_));
    wideCount_ = std::min(wideCount_ + 1, kWide * kWindow);
}

cf QpskAcquirer::at(int back) const {
    return ring_[static_cast<std::size_t>((head_ - back + kHistory) % kHistory)];
}

bool QpskAcquirer::analyse(Look look, double lo, double hi, double current, bool locked, Finding &f) const {
    if (reversals(lo, hi, f))
        return true;
    return look == Look::Full && fourth_power(lo, hi, current, locked, f);
}

bool QpskAcquirer::reversals(double lo, double hi, Finding &f) const {
    f = Finding{};
    f.reversals = true;
    bool found = false;
    for (const auto [window, needed] : kReversalWindows) {
        const int n = std::min(count_, window);
        // Turning every other symbol over leaves the carrier of a run of reversals.
        std::array<cf, kReversalPad> z{};
        for (int i = 0; i < n; ++i)
            z[static_cast<std::size_t>(i)] = (i & 1) != 0 ? -at(n - 1 - i) : at(n - 1 - i);
        radix2_fft(z);
        const Peak p = find_peak(z);
        const double hz = p.bin / kReversalPad * baud_;
        const bool here = p.score >= needed && hz >= lo && hz <= hi;
        if (here || (!found && p.score > f.score)) {
            f.hz = hz;
            f.score = p.score;
            f.symbols = n;
            found = here;
        }
        if (found)
            break;
    }
    return found;
}

bool QpskAcquirer::fourth_power(double lo, double hi, double current, bool locked, Finding &f) const {
    const int n = count_;
    std::array<cf, kPad> z{};
    for (int i = 0; i < n; ++i) {
        // Weighted by the symbol's power rather than its fourth: the few symbols that
        // noise makes large do not swamp the line.
        const cf u = at(n - 1 - i);
        const float p = std::norm(u);
        const cf u2 = cmul(u, u);
        z[static_cast<std::size_t>(i)] = p > 0.0f ? cmul(u2, u2) / p : cf{};
    }
    radix2_fft(z);
    const Peak p = find_peak(z);
    f = Finding{};
    f.score = p.score;
    // Bin k of the fourth power is k / kPad of the baud, four times the offset.
    const double base = p.bin / kPad * baud_ / 4.0;
    const double step = baud_ / 4.0;
    if (p.score < kMinScore)
        return false;
    // The candidates a quarter baud apart, rated by how well they decode against where
    // the receiver is now, over the whole window and over its latest symbols: a station
    // that has just replaced another on the same fourth-power line shows there first,
    // and what the whole window prefers must not be worse there. A receiver that holds
    // a lock is only checked on the latest symbols, which is where a wrong one shows.
    // Candidates half a baud apart decode exactly alike (the code reads that offset as
    // every bit inverted), so two neighbours stand for them all.
    const int recent = std::min(n, kRecentSymbols);
    double margins[2][2]{}; // [whole window, latest][candidate base, base + step]
    const int windows = locked || recent == n ? 1 : 2;
    for (int w = 0; w < windows; ++w) {
        const int window = w == windows - 1 ? recent : n;
        const float here = metric(current, window, lsb_);
        for (int k = 0; k < 2; ++k)
            margins[w][k] =
                (metric(base + k * step, window, lsb_) - here) * std::sqrt(static_cast<double>(window));
    }
    // A station sent on the other sideband turns its quarter turns the other way, which no
    // frequency undoes: none of the candidates decodes, though the carrier loop locks on
    // it all the same. The candidates are rated with the sidebands swapped too, over the
    // whole window; clearly better there, the finding says so.
    {
        const float here = metric(current, n, lsb_);
        double best = margins[0][0];
        for (int w = 0; w < windows; ++w)
            best = std::max({best, margins[w][0], margins[w][1]});
        double other = -std::numeric_limits<double>::infinity();
        int k = 0;
        for (int j = 0; j < 2; ++j) {
            const double m = (metric(base + j * step, n, !lsb_) - here) * std::sqrt(static_cast<double>(n));
            if (m > other)
                other = m, k = j;
        }
        if (other > best + kSidebandMargin) {
            f.margin = other;
            f.otherSideband = true;
            f.symbols = n;
            return place(base + k * step, n, lo, hi, f.hz);
        }
    }
    // The better of the two over the window that favours one most; the latest symbols
    // have the last word.
    int w = 0, k = 0;
    for (int i = 0; i < windows; ++i)
        for (int j = 0; j < 2; ++j)
            if (margins[i][j] > margins[w][k])
                w = i, k = j;
    f.margin = std::min(margins[w][k], margins[windows - 1][k]);
    f.symbols = w == windows - 1 ? recent : n;
    return place(base + k * step, f.symbols, lo, hi, f.hz);
}

bool QpskAcquirer::place(double hz, int symbols, double lo, double hi, double &out) const {
    // Of the candidates this one stands for, the one there: at four samples a symbol
    // the fourth-power lines half a baud apart no longer fold onto each other (those a
    // baud apart do, but at most one of them lies in a range narrower than the baud).
    const double half = baud_ / 2.0;
    if (wide_line(hz + half, symbols) > wide_line(hz, symbols))
        hz += half;
    hz -= baud_ * std::floor((hz - lo) / baud_);
    if (hz > hi)
        return false;
    out = hz;
    return true;
}

float QpskAcquirer::metric(double hz, int count, bool lsb) const {
    count = std::min(count, count_);
    if (count < 2)
        return 0.0f;
    // Scaled by the window's mean power, so that the growth reads the same at any level.
    float power = 0.0f;
    for (int back = 0; back < count; ++back)
        power += std::norm(at(back));
    power /= static_cast<float>(count);
    if (power <= 0.0f)
        return 0.0f;
    const double w = -2.0 * kPi * hz / baud_;
    const cf turn(static_cast<float>(std::cos(w) / power), static_cast<float>(std::sin(w) / power));
    constexpr int kStates = 16;
    std::array<float, kStates> m{}, next{};
    for (int back = count - 2; back >= 0; --back) {
        const cf r = cmul(cmul_conj(at(back), at(back + 1)), turn);
        const float corr[4] = {r.real(), r.imag(), -r.real(), -r.imag()};
        next.fill(-std::numeric_limits<float>::infinity());
        for (unsigned st = 0; st < kStates; ++st) {
            for (unsigned bit = 0; bit < 2; ++bit) {
                const unsigned reg = ((st << 1) | bit) & 31u;
                const float cand = m[st] + corr[QpskViterbi::phase_change(reg, lsb)];
                next[reg & 15u] = std::max(next[reg & 15u], cand);
            }
        }
        m = next;
    }
    return *std::max_element(m.begin(), m.end()) / static_cast<float>(count - 1);
}

int QpskAcquirer::decode(double hz, int count, std::span<uint8_t, kHistory> bits) const {
    count = std::min(count, kept_);
    if (count < 2)
        return 0;
    // The trellis of metric(), keeping each step's survivors: the state's oldest coder
    // bit, which the step shifted out, one bit a state.
    const double w = -2.0 * kPi * hz / baud_;
    const cf turn(static_cast<float>(std::cos(w)), static_cast<float>(std::sin(w)));
    constexpr int kStates = 16;
    std::array<float, kStates> m{}, next{};
    std::array<uint16_t, kHistory> from{};
    for (int back = count - 2, step = 0; back >= 0; --back, ++step) {
        const cf r = cmul(cmul_conj(at(back), at(back + 1)), turn);
        const float corr[4] = {r.real(), r.imag(), -r.real(), -r.imag()};
        next.fill(-std::numeric_limits<float>::infinity());
        uint16_t chosen = 0;
        for (unsigned st = 0; st < kStates; ++st) {
            for (unsigned bit = 0; bit < 2; ++bit) {
                const unsigned reg = ((st << 1) | bit) & 31u;
                const float cand = m[st] + corr[QpskViterbi::phase_change(reg, lsb_)];
                const unsigned to = reg & 15u;
                if (cand > next[to]) {
                    next[to] = cand;
                    chosen = static_cast<uint16_t>((chosen & ~(1u << to)) | ((st >> 3) << to));
                }
            }
        }
        from[static_cast<std::size_t>(step)] = chosen;
        // Kept small; the path's shape is all that counts.
        const float top = *std::max_element(next.begin(), next.end());
        for (float &x : next)
            x -= top;
        m = next;
    }
    // Back from the best end: each state's newest coder bit is the bit of its step.
    const int steps = count - 1;
    auto st = static_cast<unsigned>(std::max_element(m.begin(), m.end()) - m.begin());
    for (int step = steps - 1; step >= 0; --step) {
        bits[static_cast<std::size_t>(step)] = static_cast<uint8_t>(st & 1u);
        st = (st >> 1) | (((from[static_cast<std::size_t>(step)] >> st) & 1u) << 3);
    }
    return steps;
}

int QpskAcquirer::since_quiet(int count) const {
    // Blocks of kQuietBlock symbols, newest first, against the mean of the latest few:
    // even the weakest copyable station stands some five times above the noise in its own
    // band, so a block of noise alone falls well below kQuietLevel of it, and one of the
    // station hardly ever does.
    constexpr int kQuietBlock = 8;
    constexpr int kLatestBlocks = 4;
    constexpr float kQuietLevel = 0.3f;
    count = std::min(count, kept_);
    auto level = [this](int from) {
        float p = 0.0f;
        for (int back = from; back < from + kQuietBlock; ++back)
            p += std::norm(at(back));
        return p;
    };
    if (count < 2 * kQuietBlock)
        return count;
    const int latestBlocks = std::min(kLatestBlocks, count / kQuietBlock - 1);
    float latest = 0.0f;
    for (int b = 0; b < latestBlocks; ++b)
        latest += level(b * kQuietBlock);
    latest /= static_cast<float>(latestBlocks);
    int back = kQuietBlock;
    while (back + kQuietBlock <= count && level(back) >= kQuietLevel * latest)
        back += kQuietBlock;
    return back + kQuietBlock <= count ? back : count;
}

double QpskAcquirer::wide_line(double hz, int symbols) const {
    // Over the stretch the symbols were rated on, newest first: turning forward undoes
    // the line's rotation going back in time.
    constexpr int kRing = kWide * kWindow;
    const int n = std::min(wideCount_, kWide * symbols);
    const double w = 2.0 * kPi * 4.0 * hz / (kWide * baud_);
    const cf step(static_cast<float>(std::cos(w)), static_cast<float>(std::sin(w)));
    cf turn(1.0f, 0.0f), sum{};
    for (int i = 0; i < n; ++i) {
        const cf y = wide_[static_cast<std::size_t>((wideHead_ - i + kRing) % kRing)];
        const float p = std::norm(y);
        const cf y2 = cmul(y, y);
        if (p > 0.0f)
            sum += cmul(cmul(y2, y2), turn) / p;
        turn = cmul(turn, step);
        if ((i & 63) == 63)
            turn /= std::abs(turn);
    }
    return std::norm(sum);
}

} // namespace pskmodem
