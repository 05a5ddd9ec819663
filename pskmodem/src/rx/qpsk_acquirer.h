// Finds a QPSK station from its symbols, and tells a right lock of the carrier loop from
// a wrong one.
//
// A transmission opens with phase reversals, which carry the carrier itself at half a
// baud from it, with nothing raised to a power: a line that stands clear within a dozen
// symbols at the weakest copyable signals. That is looked for first, and often.
//
// Within the data, the fourth power of the symbols strips the modulation and leaves a
// line at four times the carrier's offset. Taken after the matched filter, at the symbol
// rate and over a few seconds, it stands out at signals far too weak for the wide-band
// capture, but it tells the offset only up to a quarter of the baud (7.8 Hz at 31.25
// baud): the same quarter turn a symbol at which a carrier loop looks locked while the
// data come out as garbage. The candidates a quarter baud apart are told apart by
// decoding: the convolutional code cannot absorb an extra quarter turn every symbol, so
// a Viterbi decoder fed the symbol-to-symbol changes, turned back by the right
// candidate, finds a path far better than with any other. The same measure rates the
// frequency the loop is on now.
//
// Half a baud off is the one offset the code cannot tell: it reads as every bit
// inverted, with the same path. Those two are told apart on the matched filter's output
// at four samples a symbol, where the fourth power's line at four times the offset no
// longer folds onto the other's.
#pragma once

#include "rx_types.h"

#include <array>
#include <cstdint>
#include <span>

namespace pskmodem {

class QpskAcquirer {
public:
    static constexpr int kWindow = 128; // symbols looked at, at most (4 s at 31.25 baud)
    // Symbols kept to be decoded again once the station is found (8 s at 31.25 baud).
    static constexpr int kHistory = 2 * kWindow;
    static constexpr int kWide = 4; // matched-filter samples a symbol kept
    // A fourth-power line weaker than this against the median is not looked into: noise
    // alone makes one in a few looks.
    static constexpr double kMinScore = 10.0;

    enum class Look { None, Reversals, Full };

    struct Finding {
        double hz = 0.0;        // the station's offset, in the frame of the symbols
        double score = 0.0;     // its line against the median of the rest
        bool reversals = false; // found on phase reversals
        // How much faster a symbol the Viterbi path grows at hz than at the frequency asked
        // about, times the square root of the symbols it was measured over (`symbols`):
        // noise alone stays below 0.6 but in a few looks in ten thousand.
        double margin = 0.0;
        int symbols = 0;
        bool otherSideband = false; // the station decodes with the sidebands swapped
    };

    QpskAcquirer() { reset(); }
    void set_mode(double baud, bool lsb);
    // The sideband the symbols are decoded on, keeping what was collected.
    void set_lsb(bool lsb) { lsb_ = lsb; }
    void reset();
    // One symbol, and how far (Hz) the oscillator in front was from the tuned frequency
    // when it was mixed. Frequencies here are all from the tuned frequency: what was
    // collected stays valid when the oscillator moves. `locked`: the receiver holds a
    // lock. Says what to look for now.
    Look push(cf u, double offsetHz, bool locked);
    // The matched filter's output at kWide samples a symbol, likewise.
    void push_wide(cf y, double offsetHz);
    // Looks for the station between lo and hi Hz (a range narrower than the baud); a
    // full look rates `current`, where the receiver is now, against it, only over the
    // latest symbols when the receiver holds a lock. False when nothing was found.
    bool analyse(Look look, double lo, double hi, double current, bool locked, Finding &f) const;
    // Symbols kept, at most kHistory, and the one `back` places before the newest
    // (0 .. kept() - 1), in the tuned frequency's frame.
    int kept() const { return kept_; }
    cf symbol(int back) const { return at(back); }
    // How far the tuned frequency's frame has turned from the oscillator's (radians) at
    // the newest symbol: a symbol as it came in is symbol(0) turned back by this.
    double frame_phase() const { return phase_; }
    // The bits of the latest `count` symbols (at most those collected) turned back by hz,
    // decoded from their phase changes on the sideband set, oldest first: the text sent
    // while the station was still being looked for, decoded as well as the found frequency
    // allows. Writes count - 1 bits (one a phase change) and returns how many.
    int decode(double hz, int count, std::span<uint8_t, kHistory> bits) const;
    // How many of the latest symbols (at most count) came after the last quiet stretch:
    // what a station that came on within them sent, without the noise before it.
    int since_quiet(int count) const;

private:
    // u turned on by the oscillator's offset over one sample.
    static cf turned(cf u, double &phase, double radians);
    cf at(int back) const; // the symbol `back` places before the newest
    bool reversals(double lo, double hi, Finding &f) const;
    bool fourth_power(double lo, double hi, double current, bool locked, Finding &f) const;
    // Mean Viterbi path growth a symbol over the last `count` symbols turned back by hz.
    float metric(double hz, int count, bool lsb) const;
    // Power of the fourth-power line of the wide samples at this offset, over the
    // stretch of the latest `symbols`.
    double wide_line(double hz, int symbols) const;
    // The candidate at hz, or the one half a baud beside it, folded into [lo, hi].
    bool place(double hz, int symbols, double lo, double hi, double &out) const;

    double baud_ = 31.25;
    bool lsb_ = false;
    std::array<cf, kHistory> ring_{};
    int head_ = 0;
    int count_ = 0; // symbols looked at, at most kWindow
    int kept_ = 0;
    int sinceLook_ = 0;
    double phase_ = 0.0; // the oscillator's offset summed over the symbols, radians
    double widePhase_ = 0.0;
    std::array<cf, kWide * kWindow> wide_{};
    int wideHead_ = 0;
    int wideCount_ = 0;
};

} // namespace pskmodem
