// Finds a PSK signal near the tuned frequency: the capture after a retune, and again
// after the signal has been lost.
//
// Squaring a BPSK signal strips the modulation and leaves a line at twice the carrier's
// offset; QPSK's idle preamble squares the same way and its data give a line in the
// fourth power. A strong station or a carrier a little further away must not be
// taken, however strong: so the band is first cut sharply in the frequency domain to
// the search range plus the idle's tones (half the baud either side), then raised to
// the power and searched for a line only within the range. A window of noise alone
// shows no line standing clear of the rest, so the channel does not move on noise; a
// line is weighed by its distance from the middle of the range, so the station the
// operator clicked wins over one at the edge.
//
// It works on blocks of 32 symbols (after halving the rate), every 24 symbols, and costs
// nothing while the receiver is locked (it is not fed then). When a block shows nothing,
// the last 64 symbols are searched as well: twice the time lifts a weak station's line
// twice as far out of the noise (a BPSK31 station at -10 dB stands at about 20 over 32
// symbols, under the threshold, and about 40 over 64).
#pragma once

#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

class FrequencyTracker {
public:
    static constexpr int kBlock = 256; // samples at half the decimated rate: 32 symbols
    static constexpr int kHop = kBlock * 3 / 4;
    static constexpr int kLong = 2 * kBlock; // the longer look, when the block finds nothing

    FrequencyTracker() { reset(); }
    // sampleRate: of the input (16 times the baud).
    void create(double sampleRate);
    void reset();
    // Offsets from the present mixing frequency that may be taken, in Hz; `fourth` also
    // searches the fourth power (QPSK data). Starts afresh.
    void set_search(double lo, double hi, bool fourth);
    // Forgets what was collected, after the oscillator in front has moved.
    void restart();
    // Returns true when a block has been searched and a signal found in it; then
    // offset_hz() is its offset from the mixing frequency.
    bool process(std::span<const cf> in);
    double offset_hz() const { return found_; }
    // The signal was found only by a look that sees weaker ones (the longer look, or the
    // preamble's tones): a weak one.
    bool found_weak() const { return foundWeak_; }
    // ... by its preamble's tones: its frequency is then known within a few tenths of a
    // hertz.
    bool found_tones() const { return foundTones_; }
    // The last searched block's best line against the mean of its range (noise alone
    // stays below the threshold a few times in a million blocks).
    double score() const { return score_; }

private:
    // Searches the latest n samples (kBlock or kLong).
    bool analyse(int n);
    // A BPSK preamble's two tones in the block's spectrum (the search range and `edge`
    // beyond it); hz: the carrier between them.
    bool find_preamble(std::span<const cf> spectrum, double edge, double &hz) const;
    // The latest block searched for a preamble's tones only; sets found_.
    bool preamble_look();
    // A finding's score weighed by its distance from the middle of the range: the station
    // the operator clicked wins over one at the edge.
    double centre_weighted(double score, double f) const;

    static constexpr int kTaps = 48;
    static constexpr int kPad = 2 * kLong;

    double rate_ = 250.0; // of the block's samples
    double baud_ = 31.25;
    double lo_ = -15.0, hi_ = 15.0;
    bool fourth_ = false;
    std::array<float, kTaps> taps_{};
    std::array<cf, 2 * kTaps> line_{};
    int linePos_ = 0;
    int phase_ = 0;  // decimation by two
    int settle_ = 0; // inputs to pass before collecting
    std::array<cf, kLong> ring_{};
    int ringPos_ = 0;
    int collected_ = 0; // samples in the ring since restart, at most kLong
    int sinceHop_ = 0;
    double found_ = 0.0;
    bool foundWeak_ = false;
    bool foundTones_ = false;
    bool byPreamble_ = false; // the latest analyse() found a preamble's tones only
    double score_ = 0.0;
};

} // namespace pskmodem
