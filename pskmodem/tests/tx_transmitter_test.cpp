// The transmitter driven chunk by chunk, as the engine drives it: the queue, control
// codes, stop, abort and clear with their status reports, the shape of the signal, the
// QPSK code, and the timing of the CW identification. Signals are read back with the
// small reference receiver of tx_reference.h.
#include "pskmodem.h"
#include "tx/render.h"
#include "tx/transmitter.h"
#include "tx_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using namespace pskmodem;

namespace {

constexpr double kHz = 1000.0;
constexpr float kLevel = 0.5f;
constexpr std::size_t kChunk = 256;

struct Action {
    enum Op { Start, Stop, Abort, Clear, Text, ReturnToReceive, CwId };
    int chunk;
    Op op;
    int32_t mode = 0;
    const char *text = "";
};

struct TxRun {
    std::vector<int32_t> statuses;
    std::vector<int> statusChunks;
    std::vector<float> audio; // every on-air sample, in order
    int32_t remaining = 0;
    float maxResidual = 0.0f;
};

TxRun run_script(const std::vector<Action> &actions, int cwSpeed = 1, int maxChunks = 20000) {
    ModemState state;
    state.set_tx_frequency(static_cast<int32_t>(kHz));
    state.set_tx_level(kLevel);
    state.set_cwid_text("PARIS Q9");
    state.set_cwid_speed(cwSpeed);
    Transmitter tx;
    std::vector<float> chunk(kChunk);
    TxRun run;
    int lastAction = 0;
    for (const Action &a : actions)
        lastAction = std::max(lastAction, a.chunk);
    // A pure carrier obeys x[n+1] = 2 cos(w) x[n] - x[n-1]; a shaped envelope departs from
    // that only slightly, a step in it (a click) by the size of the signal.
    const float twoCos = static_cast<float>(2.0 * std::cos(2.0 * std::numbers::pi * kHz / 8000.0));
    float x1 = 0.0f, x2 = 0.0f;
    for (int c = 0; c < maxChunks; ++c) {
        for (const Action &a : actions) {
            if (a.chunk != c)
                continue;
            switch (a.op) {
            case Action::Start:
                state.start_tx(a.mode);
                break;
            case Action::Stop:
                state.stop_tx();
                break;
            case Action::Abort:
                state.abort_tx();
                break;
            case Action::Clear:
                state.clear_tx();
                break;
            case Action::Text:
                for (const char *p = a.text; *p; ++p)
                    state.send(static_cast<unsigned char>(*p), 0);
                break;
            case Action::ReturnToReceive:
                state.send(1, 1);
                break;
            case Action::CwId:
                state.send(2, 1);
                break;
            }
        }
        const Transmitter::Report r = tx.process(state, chunk);
        for (int i = 0; i < r.count; ++i) {
            run.statuses.push_back(r.statuses[static_cast<std::size_t>(i)]);
            run.statusChunks.push_back(c);
        }
        for (const float s : chunk) {
            run.maxResidual = std::max(run.maxResidual, std::fabs(s - twoCos * x1 + x2));
            x2 = x1;
            x1 = s;
        }
        run.audio.insert(run.audio.end(), chunk.begin(), chunk.begin() + static_cast<long>(r.samples));
        if (c > lastAction && !tx.on_air())
            break;
    }
    run.remaining = state.tx_chars_remaining();
    return run;
}

// The most a shaped envelope makes the carrier depart from its own recursion: about
// 2 e' sin(w) with e' at most pi / (2 * 40) per sample (the 5 ms edges and fades).
// An unshaped start, stop or abort departs by up to the full amplitude.
float max_shaped_residual() {
    return 0.1f * kLevel;
}

struct SequenceCase {
    const char *name;
    std::vector<Action> actions;
    std::vector<int32_t> statuses;
    const char *decoded; // nullptr: not checked
    int32_t remaining;
};

void PrintTo(const SequenceCase &c, std::ostream *os) {
    *os << c.name;
}

class TransmitSequence : public testing::TestWithParam<SequenceCase> {};

TEST_P(TransmitSequence, StatusesTextAndQueue) {
    const SequenceCase &c = GetParam();
    const TxRun run = run_script(c.actions);
    EXPECT_EQ(run.statuses, c.statuses);
    if (c.decoded) {
        EXPECT_EQ(tx_reference::decode(run.audio, kHz, 0), c.decoded);
    }
    EXPECT_EQ(run.remaining, c.remaining);
    EXPECT_LE(run.maxResidual, max_shaped_residual()) << "a click";
}

const std::vector<int32_t> kStartEnd = {PSK_STATUS_TX, PSK_STATUS_RX};
const std::vector<int32_t> kStartFinishEnd = {PSK_STATUS_TX, PSK_STATUS_TX_FINISHING, PSK_STATUS_RX};

INSTANTIATE_TEST_SUITE_P(
    Table, TransmitSequence,
    testing::Values(
        SequenceCase{"StopSendsTheQueueFirst",
                     {{0, Action::Text, 0, "CQ de Q1ABC"}, {0, Action::Start}, {0, Action::Stop}},
                     kStartFinishEnd,
                     "CQ de Q1ABC",
                     0},
        SequenceCase{"TypedWhileSending",
                     {{0, Action::Start}, {40, Action::Text, 0, "ab\r\b"}, {45, Action::Stop}},
                     kStartFinishEnd,
                     "ab\r\b",
                     0},
        SequenceCase{"StopWithNothingQueued", {{0, Action::Start}, {3, Action::Stop}}, kStartEnd, "", 0},
        SequenceCase{"ReturnToReceiveKeepsWhatFollows",
                     {{0, Action::Text, 0, "AB"},
                      {0, Action::ReturnToReceive},
                      {0, Action::Text, 0, "CD"},
                      {0, Action::Start}},
                     kStartEnd,
                     "AB",
                     2},
        SequenceCase{"AbortEndsAtOnceAndEmptiesTheQueue",
                     {{0, Action::Text, 0, "a long text that is still being sent"},
                      {0, Action::Start},
                      {50, Action::Abort}},
                     kStartEnd,
                     nullptr,
                     0},
        SequenceCase{"ClearKeepsTransmittingIdle",
                     {{0, Action::Text, 0, "QRM QRM QRM"},
                      {0, Action::Start},
                      {33, Action::Clear},
                      {60, Action::Stop}},
                     kStartEnd,
                     "Q",
                     0},
        SequenceCase{"StartAgainBeforeTheEndCarriesOn",
                     {{0, Action::Start},
                      {3, Action::Stop},
                      {45, Action::Start},
                      {50, Action::Text, 0, "X"},
                      {60, Action::Stop}},
                     kStartEnd,
                     "X",
                     0},
        SequenceCase{"TuneCarrierUntilStopped",
                     {{0, Action::Start, TxMode::kTune}, {30, Action::Stop}},
                     kStartEnd,
                     "",
                     0},
        SequenceCase{"CwIdentificationEndsTheTransmission",
                     {{0, Action::Text, 0, "73"}, {0, Action::Start}, {0, Action::CwId}, {0, Action::Stop}},
                     kStartFinishEnd,
                     nullptr,
                     0},
        SequenceCase{
            "NoStartNoTransmission", {{0, Action::Text, 0, "hi"}, {0, Action::Stop}}, {}, nullptr, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TransmitTiming, PreambleAndPostambleLastASecondEachAndAbortIsImmediate) {
    for (const int32_t mode : {0, 8}) {
        const std::size_t sps = mode == 8 ? 128 : 256;
        const TxRun empty = run_script({{0, Action::Start, mode}, {0, Action::Stop}});
        // Preamble (fade-in included), postamble, one symbol of fade-out.
        EXPECT_EQ(empty.audio.size(), 2 * Transmitter::kAmbleSamples + sps) << "mode " << mode;
        // The end is reported in the chunk after the last sample (nothing to drain).
        EXPECT_EQ(static_cast<std::size_t>(empty.statusChunks.back()), empty.audio.size() / kChunk + 1);
    }
    const TxRun aborted = run_script({{0, Action::Text, 0, "text"}, {0, Action::Start}, {20, Action::Abort}});
    ASSERT_EQ(aborted.statusChunks.size(), 2u);
    EXPECT_EQ(aborted.statusChunks[1], 20);
    EXPECT_EQ(aborted.audio.size(), 20 * kChunk + Transmitter::kAbortFadeSamples);
}

// Every character, in every mode, comes back from the reference receiver.
class EveryCharacter : public testing::TestWithParam<int32_t> {};

TEST_P(EveryCharacter, RoundTrip) {
    std::string text;
    for (int c = 0; c < 256; ++c)
        text += static_cast<char>(c);
    RenderOptions opt;
    opt.mode = GetParam();
    opt.frequency = 700 + 150 * (GetParam() % 8);
    opt.offset = 0.37;
    const std::vector<float> x = render_transmission(text, opt);
    EXPECT_EQ(tx_reference::decode(x, opt.frequency + opt.offset, opt.mode), text);
    // The phase only ever moves by whole quarter turns.
    const int sps = opt.mode >= 8 ? 128 : 256;
    const auto p = tx_reference::boundary_phasors(x, opt.frequency + opt.offset, sps);
    double worst = 0.0;
    for (std::size_t k = 2; k + 2 < p.size(); ++k) {
        const double a = std::arg(p[k] * std::conj(p[k - 1])) / (std::numbers::pi / 2);
        worst = std::max(worst, std::fabs(a - std::round(a)));
    }
    EXPECT_LT(worst * 90.0, 2.0) << "degrees off a quarter turn";
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryCharacter, testing::Values(0, 1, 2, 8, 9, 10));

TEST(QpskSideband, LowerSidebandMirrorsTheQuarterTurns) {
    RenderOptions usb;
    usb.mode = 1;
    RenderOptions lsb = usb;
    lsb.mode = 2;
    const std::string text = "QPSK sideband check 0123";
    const auto turnsUsb = tx_reference::quarter_turns(
        tx_reference::boundary_phasors(render_transmission(text, usb), 1000, 256));
    const auto turnsLsb = tx_reference::quarter_turns(
        tx_reference::boundary_phasors(render_transmission(text, lsb), 1000, 256));
    ASSERT_EQ(turnsUsb.size(), turnsLsb.size());
    int quarter = 0;
    for (std::size_t i = 0; i < turnsUsb.size(); ++i) {
        EXPECT_EQ(turnsLsb[i], (4 - turnsUsb[i]) & 3) << "symbol " << i;
        quarter += turnsUsb[i] % 2;
    }
    EXPECT_GT(quarter, 20) << "the text must exercise the +-90 degree steps";
}

class Shaping : public testing::TestWithParam<int32_t> {};

TEST_P(Shaping, CosineReversalsTwoIdleTonesAndSteadyCarrier) {
    RenderOptions opt;
    opt.mode = GetParam();
    opt.level = kLevel;
    const std::vector<float> x = render_transmission("e", opt);
    const std::size_t sps = opt.mode >= 8 ? 128 : 256;
    const double w = 2.0 * std::numbers::pi * kHz / 8000.0;

    // Preamble: after the fade-in symbol, every symbol is a reversal whose envelope is
    // cos(pi t / T) through zero, on a carrier that runs on unbroken.
    double worst = 0.0;
    for (std::size_t k = 1; k < Transmitter::kAmbleSamples / sps; ++k) {
        const double sign = (k % 2 == 1) ? 1.0 : -1.0;
        for (std::size_t i = 0; i < sps; ++i) {
            const std::size_t n = k * sps + i;
            const double expected = kLevel * sign *
                                    std::cos(std::numbers::pi * static_cast<double>(i) / sps) *
                                    std::cos(w * static_cast<double>(n));
            worst = std::max(worst, std::fabs(x[n] - expected));
        }
    }
    EXPECT_LT(worst, 1e-4);

    // The same stretch seen as a spectrum: two tones at f +- baud/2, nothing at f.
    const double baud = 8000.0 / static_cast<double>(sps);
    const std::span<const float> idle(x.data() + sps, 16 * sps);
    const auto power = [&](double hz) {
        std::complex<double> s;
        for (std::size_t n = 0; n < idle.size(); ++n)
            s += static_cast<double>(idle[n]) * std::polar(1.0, -2.0 * std::numbers::pi * hz * n / 8000.0);
        return 2.0 * std::norm(s) / static_cast<double>(idle.size() * idle.size());
    };
    const double total = mean_power(idle);
    EXPECT_GT(power(kHz - baud / 2) + power(kHz + baud / 2), 0.99 * total);
    EXPECT_LT(power(kHz), 1e-4 * total);

    // Postamble: a steady carrier for 1.024 s before the final fade-out symbol.
    const std::size_t end = x.size() - sps;
    const std::size_t begin = end - Transmitter::kAmbleSamples;
    const double sign = x[begin] * std::cos(w * static_cast<double>(begin)) > 0 ? 1.0 : -1.0;
    worst = 0.0;
    for (std::size_t n = begin; n < end; ++n)
        worst = std::max(worst, std::fabs(x[n] - kLevel * sign * std::cos(w * static_cast<double>(n))));
    EXPECT_LT(worst, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Bauds, Shaping, testing::Values(0, 8));

// Morse of the letters of "PARIS Q9", written out here from the code's definition.
const char *kParisQ9 = ".--. .- .-. .. ... / --.- ----.";

class CwTiming : public testing::TestWithParam<int> {};

TEST_P(CwTiming, ElementsAndGapsAtEachSpeed) {
    const int n = GetParam();
    const TxRun run = run_script({{0, Action::Start}, {0, Action::CwId}, {0, Action::Stop}}, n);
    EXPECT_EQ(run.statuses, kStartFinishEnd);
    EXPECT_LE(run.maxResidual, max_shaped_residual()) << "a click";
    // The identification follows the preamble and the PSK fade-out symbol.
    const std::size_t start = Transmitter::kAmbleSamples + 256;
    ASSERT_GT(run.audio.size(), start);
    const double w = 2.0 * std::numbers::pi * kHz / 8000.0;
    // Envelope: I/Q over 8 samples, two whole periods of the 2 kHz mixing product.
    std::vector<bool> on;
    for (std::size_t i = start; i + 8 <= run.audio.size(); ++i) {
        std::complex<double> s;
        for (std::size_t m = i; m < i + 8; ++m)
            s += static_cast<double>(run.audio[m]) * std::polar(1.0, -w * static_cast<double>(m));
        on.push_back(std::abs(s) / 4.0 / kLevel > 0.5);
    }
    // 37.5 / n words per minute: a dot of 1.2 / wpm s = 256 n samples.
    const double dot = 256.0 * n;
    std::string morse;
    std::size_t i = 0;
    while (i < on.size() && !on[i])
        ++i;
    while (i < on.size()) {
        const bool level = on[i];
        std::size_t j = i;
        while (j < on.size() && on[j] == level)
            ++j;
        const double units = static_cast<double>(j - i) / dot;
        const long rounded = std::lround(units);
        if (j < on.size() || level) {
            EXPECT_NEAR(units * dot, rounded * dot, 3.0) << "element or gap of " << (j - i) << " samples";
            if (level)
                morse += rounded == 1 ? "." : rounded == 3 ? "-" : "?";
            else
                morse += rounded == 1 ? "" : rounded == 3 ? " " : rounded == 7 ? " / " : "?";
        }
        i = j;
    }
    EXPECT_EQ(morse, kParisQ9);
}

INSTANTIATE_TEST_SUITE_P(Speeds, CwTiming, testing::Values(1, 2, 3, 4));

} // namespace
