#include "qpsk_acquirer.h"

#include "dsp/complex_fft.h"
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
// What a matched filter on either tone of a run of reversals takes in at least, against one
// on its carrier: about 1.5 for a preamble (1.2 to 2 at -8 dB), under 0.2 beside a station
// sending data half a baud away.
constexpr double kToneShare = 0.6;
constexpr int kRecentSymbols = 32;
constexpr int kPad = 2 * QpskAcquirer::kWindow; // bins for the fourth power's line
// How much better (in the margin's units) the other sideband must decode than this one.
constexpr double kSidebandMargin = 0.5;
// The drifting station's look (see fourth_power(); its symbols are kDriftWindow): the step between the rates
// tried and the most tried (Hz a second at 31.25 baud), and how much stronger than the
// steady line over the whole look its line must stand. A steady station's line over the
// whole look stands about twice as high as over the shorter stretch, so it is hardly
// ever taken for a drifting one, while noise, the best of many spectra, beats it often.
constexpr double kDriftStep = 0.25;
constexpr double kMaxDrift = 1.5;
constexpr double kDriftBeat = 1.5;
// How far (Hz at 31.25 baud) beyond the ends of the range asked about a station may be
// found.
constexpr double kEdgeSlackHz = 0.5;

// QpskViterbi::phase_change for each register of five bits, on either sideband: the
// trellises here run over every symbol of many looks.
const std::array<uint8_t, 32> &phase_changes(bool lsb) {
    static const auto table = [] {
        std::array<std::array<uint8_t, 32>, 2> t{};
        for (unsigned reg = 0; reg < 32; ++reg)
            for (int side = 0; side < 2; ++side)
                t[static_cast<std::size_t>(side)][reg] =
                    static_cast<uint8_t>(QpskViterbi::phase_change(reg, side != 0));
        return t;
    }();
    return table[lsb ? 1 : 0];
}

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
    // The rates a drifting station is looked for at are kDriftStep apart at 31.25 baud,
    // scaled with the square of the baud, so that what is left between two of them turns
    // the line as little over the stretch. A drift turns the fourth power by
    // 4 pi rate t^2 at t seconds before the newest symbol.
    const double scale = baud / 31.25;
    driftStep_ = kDriftStep * scale * scale;
    // The best of that many spectra: noise alone raises its line higher than a single
    // spectrum's (the largest of m exponential bins goes as log m), and the strength
    // reported is brought back to a single spectrum's measure.
    const int spectra = 2 * static_cast<int>(std::max(kMaxDrift, driftStep_) / driftStep_ + 1e-9);
    driftRise_ = std::log(static_cast<double>(spectra * kPad / 2)) / std::log(static_cast<double>(kPad / 2));
    for (int back = 0; back < kDriftWindow; ++back) {
        const double a = -4.0 * kPi * driftStep_ * back * back / (baud * baud);
        chirp_[static_cast<std::size_t>(back)] =
            cf(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
    }
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
    base_.fill(cf{});
    baseHead_ = baseCount_ = 0;
    basePhase_ = 0.0;
    lastDrift_ = 0.0;
    scanned_ = false;
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

void QpskAcquirer::push_base(std::span<const cf> x, double offsetHz) {
    const double w = 2.0 * kPi * offsetHz / (kRxSamplesPerSymbol * baud_);
    cf turn(static_cast<float>(std::cos(basePhase_)), static_cast<float>(std::sin(basePhase_)));
    const cf step(static_cast<float>(std::cos(w)), static_cast<float>(std::sin(w)));
    for (const cf v : x) {
        turn = cmul(turn, step);
        base_[static_cast<std::size_t>(baseHead_)] = cmul(v, turn);
        baseHead_ = (baseHead_ + 1) % kBaseRing;
    }
    basePhase_ = std::remainder(basePhase_ + w * static_cast<double>(x.size()), 2.0 * kPi);
    baseCount_ = std::min(baseCount_ + static_cast<int>(x.size()), kBaseRing);
}

double QpskAcquirer::band_power(double hz, int symbols) const {
    // The pulse's own shape, turned to hz: y[n] = sum_k h[k] x[n - k] e^{-j w (n - k)}
    // has the power of sum_k h[k] e^{j w k} x[n - k]. Every fourth sample is plenty for
    // a mean.
    constexpr int kPulse = 2 * kRxSamplesPerSymbol;
    std::array<cf, kPulse> h{};
    const double w = 2.0 * kPi * hz / (kRxSamplesPerSymbol * baud_);
    for (int k = 0; k < kPulse; ++k) {
        const double c = std::cos(kPi * ((k + 0.5) / kPulse - 0.5));
        h[static_cast<std::size_t>(k)] = static_cast<float>(c * c) * cf(static_cast<float>(std::cos(w * k)),
                                                                        static_cast<float>(std::sin(w * k)));
    }
    const int n = std::min(baseCount_, kRxSamplesPerSymbol * symbols);
    double sum = 0.0;
    int outs = 0;
    for (int back = 0; back + kPulse <= n; back += 4) {
        cf y{};
        for (int k = 0; k < kPulse; ++k)
            y +=
                cmul(h[static_cast<std::size_t>(k)],
                     base_[static_cast<std::size_t>((baseHead_ - 1 - back - k + 2 * kBaseRing) % kBaseRing)]);
        sum += std::norm(y);
        ++outs;
    }
    return outs > 0 ? sum / outs : 0.0;
}

cf QpskAcquirer::at(int back) const {
    return ring_[static_cast<std::size_t>((head_ - back + kHistory) % kHistory)];
}

bool QpskAcquirer::analyse(Look look, double lo, double hi, double current, bool locked, bool drift,
                           Finding &f) {
    if (reversals(lo, hi, f) && tones_beside(f.hz, f.symbols))
        return true;
    return look == Look::Full && fourth_power(lo, hi, current, locked, drift, f);
}

bool QpskAcquirer::tones_beside(double hz, int symbols) const {
    // A run of reversals is two tones half a baud either side of its carrier, and a matched
    // filter on either takes in more than one on the carrier. Turning every other symbol
    // over makes a station sending data half a baud away look like reversals too, for as
    // long as its phase happens to stand still; all its power then lies to one side.
    const double here = band_power(hz, symbols);
    if (here <= 0.0)
        return true; // nothing kept to tell by
    const double half = baud_ / 2.0;
    return std::min(band_power(hz - half, symbols), band_power(hz + half, symbols)) >= kToneShare * here;
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
        complex_fft(z);
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

void QpskAcquirer::line(std::span<const cf> v, std::span<const cf> chirp, bool up, std::size_t bins,
                        double &hz, double &score) const {
    // v holds the fourth powers, oldest first; chirp[back] turns back a drift's turn of
    // them `back` symbols before the newest (conjugated for a drift down). What is left is
    // the line where the station is at the newest symbol.
    const std::size_t n = v.size();
    std::array<cf, kPad> buf{};
    const std::span<cf> z(buf.data(), bins);
    for (std::size_t i = 0; i < n; ++i) {
        const cf c = chirp.empty() ? cf(1.0f, 0.0f) : chirp[n - 1 - i];
        z[i] = cmul(v[i], up ? c : std::conj(c));
    }
    complex_fft(z);
    const Peak p = find_peak(z);
    // Bin k of the fourth power is k / bins of the baud, four times the offset.
    hz = p.bin / static_cast<double>(bins) * baud_ / 4.0;
    score = p.score;
}

bool QpskAcquirer::fourth_power(double lo, double hi, double current, bool locked, bool drift, Finding &f) {
    int n = count_;
    // The fourth powers, oldest first, weighted by the symbol's power rather than its
    // fourth: the few symbols that noise makes large do not swamp the line.
    std::array<cf, kWindow> v{};
    for (int i = 0; i < n; ++i) {
        const cf u = at(n - 1 - i);
        const float p = std::norm(u);
        const cf u2 = cmul(u, u);
        v[static_cast<std::size_t>(i)] = p > 0.0f ? cmul(u2, u2) / p : cf{};
    }
    double base = 0.0, score = 0.0, rate = 0.0;
    line(std::span<const cf>(v.data(), static_cast<std::size_t>(n)), {}, true, kPad, base, score);
    // A drifting station, looked for on a whole look while the receiver holds nothing:
    // over the latest kDriftWindow symbols, at rates driftStep_ apart up to kMaxDrift (at
    // least one step). They are compared on coarser spectra (half the bins), and the
    // best is then told as finely as a steady line. Every other look only tells again
    // the rate the last one found best: a station found there is found twice in a row,
    // for half the work.
    if (!locked && drift && n == kWindow) {
        const std::span<const cf> latest(v.data() + (kWindow - kDriftWindow), kDriftWindow);
        const int steps = static_cast<int>(std::max(kMaxDrift, driftStep_) / driftStep_ + 1e-9);
        const int last = static_cast<int>(std::lround(std::fabs(lastDrift_) / driftStep_));
        const bool scan = last == 0 || !scanned_;
        scanned_ = scan;
        std::array<cf, kDriftWindow> chirp = chirp_, best{};
        bool bestUp = true;
        double bestScore = 0.0;
        for (int k = 1; k <= (scan ? steps : last); ++k) {
            if (k > 1)
                for (std::size_t i = 0; i < chirp.size(); ++i)
                    chirp[i] = cmul(chirp[i], chirp_[i]);
            if (!scan && k < last)
                continue;
            for (const bool up : {true, false}) {
                if (!scan && up != (lastDrift_ > 0.0))
                    continue;
                double hz = 0.0, s = 0.0;
                if (scan)
                    line(latest, chirp, up, kPad / 2, hz, s);
                if (!scan || s > bestScore) {
                    bestScore = s;
                    best = chirp;
                    bestUp = up;
                    rate = (up ? k : -k) * driftStep_;
                }
            }
        }
        lastDrift_ = rate;
        double hz = 0.0, s = 0.0;
        line(latest, best, bestUp, kPad, hz, s);
        if (s > kDriftBeat * score) {
            base = hz;
            score = s / driftRise_;
            n = kDriftWindow;
        } else {
            rate = 0.0;
        }
    }
    f = Finding{};
    f.score = score;
    f.rate = rate;
    const double step = baud_ / 4.0;
    if (score < kMinScore)
        return false;
    // The candidates a quarter baud apart, rated by how well they decode against where
    // the receiver is now, over the whole window and over its latest symbols: a station
    // that has just replaced another on the same fourth-power line shows there first,
    // and what the whole window prefers must not be worse there. A receiver that holds
    // a lock is only checked on the latest symbols, which is where a wrong one shows.
    // Candidates half a baud apart decode exactly alike (the code reads that offset as
    // every bit inverted), so two neighbours stand for them all. Where the receiver is
    // now is rated with the drift found, as that is how it would follow the station.
    const int recent = std::min(n, kRecentSymbols);
    double margins[2][2]{}; // [whole window, latest][candidate base, base + step]
    const int windows = locked || recent == n ? 1 : 2;
    for (int w = 0; w < windows; ++w) {
        const int window = w == windows - 1 ? recent : n;
        const float here = metric(current, window, lsb_, rate);
        for (int k = 0; k < 2; ++k)
            margins[w][k] =
                (metric(base + k * step, window, lsb_, rate) - here) * std::sqrt(static_cast<double>(window));
    }
    // A station sent on the other sideband turns its quarter turns the other way, which no
    // frequency undoes: none of the candidates decodes, though the carrier loop locks on
    // it all the same. The candidates are rated with the sidebands swapped too, over the
    // whole window; clearly better there, the finding says so.
    {
        const float here = metric(current, n, lsb_, rate);
        double best = margins[0][0];
        for (int w = 0; w < windows; ++w)
            best = std::max({best, margins[w][0], margins[w][1]});
        double other = -std::numeric_limits<double>::infinity();
        int k = 0;
        for (int j = 0; j < 2; ++j) {
            const double m =
                (metric(base + j * step, n, !lsb_, rate) - here) * std::sqrt(static_cast<double>(n));
            if (m > other)
                other = m, k = j;
        }
        if (other > best + kSidebandMargin) {
            f.margin = other;
            f.otherSideband = true;
            f.symbols = n;
            return place(base + k * step, n, rate, lo, hi, f.hz);
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
    if (!place(base + k * step, f.symbols, rate, lo, hi, f.hz))
        return false;
    // The twin half a baud from the station nearest to where the receiver is now.
    const double half = baud_ / 2.0;
    const double twin = f.hz + half - baud_ * std::round((f.hz + half - current) / baud_);
    if (std::fabs(twin - current) < kTwinNearHz * baud_ / 31.25) {
        const int window = f.symbols == recent ? windows - 1 : 0;
        f.twinMargin = margins[window][k] - margins[window][1 - k];
        f.twinPower = band_power(f.hz, f.symbols) / std::max(band_power(twin, f.symbols), 1e-30);
    }
    return true;
}

bool QpskAcquirer::place(double hz, int symbols, double rate, double lo, double hi, double &out) const {
    // Of the candidates this one stands for, the one there: at four samples a symbol
    // the fourth-power lines half a baud apart no longer fold onto each other (those a
    // baud apart do, but at most one of them lies in a range narrower than the baud).
    const double half = baud_ / 2.0;
    if (wide_line(hz + half, symbols, rate) > wide_line(hz, symbols, rate))
        hz += half;
    // Taken a baud at a time towards the middle of the range, it may lie a little beyond
    // the range's ends: a station clicked right at the edge is measured as often just
    // outside it as inside.
    const double slack = std::clamp(0.5 * (baud_ - (hi - lo)), 0.0, kEdgeSlackHz * baud_ / 31.25);
    hz -= baud_ * std::round((hz - 0.5 * (lo + hi)) / baud_);
    if (hz < lo - slack || hz > hi + slack)
        return false;
    out = hz;
    return true;
}

double QpskAcquirer::turn_since(double hz, double rate, int back) const {
    // The station was at hz - rate t at t seconds before the newest symbol.
    const double t = back / baud_;
    return 2.0 * kPi * (hz * t - 0.5 * rate * t * t);
}

QpskAcquirer::Changes::Changes(const QpskAcquirer &a, int from, double hz, double rate, float gain)
    : a_(a), back_(from), gain_(gain) {
    // The turn from symbol back + 1 to symbol back is turn_since(back) - turn_since(back + 1);
    // each step towards the newest turns it on by bend_ (none for a steady station).
    const double w = rate == 0.0 ? -2.0 * kPi * hz / a.baud_
                                 : a.turn_since(hz, rate, back_) - a.turn_since(hz, rate, back_ + 1);
    const double b = -2.0 * kPi * rate / (a.baud_ * a.baud_);
    turn_ = cf(static_cast<float>(std::cos(w) * gain), static_cast<float>(std::sin(w) * gain));
    bend_ =
        rate == 0.0 ? cf(1.0f, 0.0f) : cf(static_cast<float>(std::cos(b)), static_cast<float>(std::sin(b)));
    bends_ = rate != 0.0;
}

cf QpskAcquirer::Changes::next() {
    const cf r = cmul(cmul_conj(a_.at(back_), a_.at(back_ + 1)), turn_);
    --back_;
    if (bends_) {
        turn_ = cmul(turn_, bend_);
        if ((back_ & 63) == 0)
            turn_ *= gain_ / std::abs(turn_);
    }
    return r;
}

float QpskAcquirer::metric(double hz, int count, bool lsb, double rate) const {
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
    constexpr int kStates = 16;
    std::array<float, kStates> m{}, next{};
    const std::array<uint8_t, 32> &changeOf = phase_changes(lsb);
    Changes changes(*this, count - 2, hz, rate, 1.0f / power);
    for (int back = count - 2; back >= 0; --back) {
        const cf r = changes.next();
        const float corr[4] = {r.real(), r.imag(), -r.real(), -r.imag()};
        next.fill(-std::numeric_limits<float>::infinity());
        for (unsigned st = 0; st < kStates; ++st) {
            for (unsigned bit = 0; bit < 2; ++bit) {
                const unsigned reg = ((st << 1) | bit) & 31u;
                const float cand = m[st] + corr[changeOf[reg]];
                next[reg & 15u] = std::max(next[reg & 15u], cand);
            }
        }
        m = next;
    }
    return *std::max_element(m.begin(), m.end()) / static_cast<float>(count - 1);
}

int QpskAcquirer::decode(double hz, int count, std::span<uint8_t, kHistory> bits, double rate) const {
    count = std::min(count, kept_);
    if (count < 2)
        return 0;
    // The trellis of metric(), keeping each step's survivors: the state's oldest coder
    // bit, which the step shifted out, one bit a state.
    constexpr int kStates = 16;
    std::array<float, kStates> m{}, next{};
    std::array<uint16_t, kHistory> from{};
    const std::array<uint8_t, 32> &changeOf = phase_changes(lsb_);
    Changes changes(*this, count - 2, hz, rate, 1.0f);
    for (int back = count - 2, step = 0; back >= 0; --back, ++step) {
        const cf r = changes.next();
        const float corr[4] = {r.real(), r.imag(), -r.real(), -r.imag()};
        next.fill(-std::numeric_limits<float>::infinity());
        uint16_t chosen = 0;
        for (unsigned st = 0; st < kStates; ++st) {
            for (unsigned bit = 0; bit < 2; ++bit) {
                const unsigned reg = ((st << 1) | bit) & 31u;
                const float cand = m[st] + corr[changeOf[reg]];
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

double QpskAcquirer::wide_line(double hz, int symbols, double rate) const {
    // Over the stretch the symbols were rated on, newest first: turning forward undoes
    // the line's rotation going back in time (and a drift's, by its square).
    constexpr int kRing = kWide * kWindow;
    const int n = std::min(wideCount_, kWide * symbols);
    const double w = 2.0 * kPi * 4.0 * hz / (kWide * baud_);
    // The drift's turn -a i^2 at sample i: the step from one sample to the next turns on
    // by -a (2 i + 1).
    const double a = 4.0 * kPi * rate / (kWide * baud_ * kWide * baud_);
    cf step(static_cast<float>(std::cos(w - a)), static_cast<float>(std::sin(w - a)));
    const cf bend(static_cast<float>(std::cos(-2.0 * a)), static_cast<float>(std::sin(-2.0 * a)));
    cf turn(1.0f, 0.0f), sum{};
    for (int i = 0; i < n; ++i) {
        const cf y = wide_[static_cast<std::size_t>((wideHead_ - i + kRing) % kRing)];
        const float p = std::norm(y);
        const cf y2 = cmul(y, y);
        if (p > 0.0f)
            sum += cmul(cmul(y2, y2), turn) / p;
        turn = cmul(turn, step);
        if (rate != 0.0)
            step = cmul(step, bend);
        if ((i & 63) == 63) {
            turn /= std::abs(turn);
            if (rate != 0.0)
                step /= std::abs(step);
        }
    }
    return std::norm(sum);
}

} // namespace pskmodem
