#include "symbol_filter.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace pskmodem {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr int kSps = kRxSamplesPerSymbol;
// The stop band starts this many symbol rates from the carrier (40.6 Hz at 31.25 baud):
// the pulse's main lobe ends at one, and a wider pass band keeps the squelch's timing at
// a weak signal's start as it was.
constexpr double kStop = 1.3;
// Weight of the stop band's energy against the white noise's.
constexpr double kStopWeight = 3000.0;
// Symbols on either side whose pulses the filter answers with 0. The next ones out
// (about 3 % of the pulse each) are left: forcing them to 0 too makes noise's phase
// changes a little steadier from symbol to symbol, and the squelch then opens on noise
// alone about three times as often.
constexpr int kZeroSymbols = 1;

// The pulse at s samples from its centre.
double pulse(double s) {
    if (std::fabs(s) >= kSps)
        return 0.0;
    const double c = std::cos(kPi * s / (2.0 * kSps));
    return c * c;
}

double tap_time(int j) {
    return SymbolFilter::kLead - j;
}

// Solves a x = b for each column of b in place (Gaussian elimination with partial
// pivoting; the systems are small and well conditioned).
void solve(std::vector<std::vector<double>> a, std::vector<std::vector<double>> &b) {
    const std::size_t n = a.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t piv = i;
        for (std::size_t r = i + 1; r < n; ++r)
            if (std::fabs(a[r][i]) > std::fabs(a[piv][i]))
                piv = r;
        std::swap(a[i], a[piv]);
        std::swap(b[i], b[piv]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == i || a[r][i] == 0.0)
                continue;
            const double f = a[r][i] / a[i][i];
            for (std::size_t c = i; c < n; ++c)
                a[r][c] -= f * a[i][c];
            for (std::size_t c = 0; c < b[r].size(); ++c)
                b[r][c] -= f * b[i][c];
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        for (double &v : b[i])
            v /= a[i][i];
}

std::array<float, SymbolFilter::kTaps> design() {
    constexpr int n = SymbolFilter::kTaps;
    constexpr double stop = kStop / kSps; // cycles a sample
    // White noise plus the weighted stop band: r[i][j] = delta(i, j) + w * (the mean over
    // the stop band of cos(2 pi f d)), d the taps' distance in samples.
    std::vector<std::vector<double>> r(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double d = tap_time(i) - tap_time(j);
            const double q = d == 0.0
                                 ? 0.5 - stop
                                 : (std::sin(kPi * d) - std::sin(2.0 * kPi * stop * d)) / (2.0 * kPi * d);
            r[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
                (i == j ? 1.0 : 0.0) + kStopWeight * q / (0.5 - stop);
        }
    }
    // The constraints: the pulses of the symbols -k..k that reach into the filter.
    std::vector<int> ks;
    for (int k = -kZeroSymbols; k <= kZeroSymbols; ++k) {
        double reach = 0.0;
        for (int j = 0; j < n; ++j)
            reach += pulse(tap_time(j) - kSps * k);
        if (reach > 0.0)
            ks.push_back(k);
    }
    const std::size_t m = ks.size();
    std::vector<std::vector<double>> c(n, std::vector<double>(m));
    for (int j = 0; j < n; ++j)
        for (std::size_t q = 0; q < m; ++q)
            c[static_cast<std::size_t>(j)][q] = pulse(tap_time(j) - kSps * ks[q]);
    // w = R^-1 C (C' R^-1 C)^-1 e0
    std::vector<std::vector<double>> ric = c;
    solve(r, ric);
    std::vector<std::vector<double>> g(m, std::vector<double>(m));
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < m; ++b)
            for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j)
                g[a][b] += c[j][a] * ric[j][b];
    std::vector<std::vector<double>> e(m, std::vector<double>(1, 0.0));
    for (std::size_t q = 0; q < m; ++q)
        if (ks[q] == 0)
            e[q][0] = 1.0;
    solve(g, e);
    std::array<float, SymbolFilter::kTaps> h{};
    for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j) {
        double v = 0.0;
        for (std::size_t q = 0; q < m; ++q)
            v += ric[j][q] * e[q][0];
        h[j] = static_cast<float>(v);
    }
    return h;
}
} // namespace

const std::array<float, SymbolFilter::kTaps> &SymbolFilter::taps() {
    static const auto h = design();
    return h;
}

double SymbolFilter::symbol_response(int k) {
    const auto &h = taps();
    double v = 0.0;
    for (int j = 0; j < kTaps; ++j)
        v += h[static_cast<std::size_t>(j)] * pulse(tap_time(j) - kSps * k);
    return v;
}

double SymbolFilter::noise_correlation(int k) {
    const auto &h = taps();
    const int lag = std::abs(k) * kSps;
    double c = 0.0, e = 0.0;
    for (int j = 0; j < kTaps; ++j) {
        e += static_cast<double>(h[static_cast<std::size_t>(j)]) * h[static_cast<std::size_t>(j)];
        if (j + lag < kTaps)
            c += static_cast<double>(h[static_cast<std::size_t>(j)]) * h[static_cast<std::size_t>(j + lag)];
    }
    return c / e;
}

SymbolFilter::SymbolFilter() {
    reset();
}

void SymbolFilter::reset() {
    line_.reset();
}

void SymbolFilter::process(std::span<const cf> in, std::span<cf> out) {
    // Taps in time order, oldest first, matching the window.
    static const auto rev = [] {
        std::array<float, kTaps> r{};
        for (int i = 0; i < kTaps; ++i)
            r[static_cast<std::size_t>(i)] = taps()[static_cast<std::size_t>(kTaps - 1 - i)];
        return r;
    }();
    for (std::size_t n = 0; n < in.size() && n < out.size(); ++n) {
        out[n] = line_.push(in[n], rev);
    }
}

} // namespace pskmodem
