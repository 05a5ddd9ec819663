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
// A station drifting by a hertz a second smears that line over several hertz within the
// look, and it no longer stands out. So a shorter stretch of the latest symbols is also
// looked at with the line's drift taken out for a few rates, and a station found so is
// placed where it is at the newest symbol, with its rate.
//
// Half a baud off is the one offset the code cannot tell: it reads as every bit
// inverted, with the same path. Those two are told apart on the matched filter's output
// at four samples a symbol, where the fourth power's line at four times the offset no
// longer folds onto the other's.
//
// Nor can decoding tell a receiver that sits on a station's twin half a baud away that it
// is wrong: a station clicked at the edge of a 15 Hz capture has its twin within a hertz
// of where the channel was tuned, and a loop left there locks on it. Then the two are
// weighed by the power a matched filter takes in at each, on the samples in front of the
// receiver's own matched filter: the one on the station takes in all of it, the one half
// a baud off well under half, and noise alike at both.
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
    static constexpr int kDriftWindow = kWindow / 2; // symbols looked at for a drifting station
    static constexpr int kWide = 4;                  // matched-filter samples a symbol kept
    // A fourth-power line weaker than this against the median is not looked into: noise
    // alone makes one in a few looks.
    static constexpr double kMinScore = 10.0;
    // How close (Hz at 31.25 baud) where the receiver is now must be to the twin of a
    // finding for the finding to be rated against the twin's power.
    static constexpr double kTwinNearHz = 2.0;

    enum class Look { None, Reversals, Full };

    struct Finding {
        double hz = 0.0; // the station's offset, in the frame of the symbols
        // Its line against the median of the rest (for a drifting station, as it would stand
        // in one spectrum for the same chance of noise).
        double score = 0.0;
        bool reversals = false; // found on phase reversals
        // How much faster a symbol the Viterbi path grows at hz than at the frequency asked
        // about, times the square root of the symbols it was measured over (`symbols`):
        // noise alone stays below 0.6 but in a few looks in ten thousand.
        double margin = 0.0;
        int symbols = 0;
        bool otherSideband = false; // the station decodes with the sidebands swapped
        // With `current` close to hz's twin half a baud away, which decodes just as well
        // (every bit inverted) and so leaves margin at nothing: how much faster the path
        // grows at hz than a quarter baud beside it, in margin's units, and how much more
        // power a matched filter at hz takes in than one at the twin (0 when not looked at).
        double twinMargin = 0.0;
        double twinPower = 0.0;
        double rate = 0.0; // its drift, Hz a second (hz is where it is at the newest symbol)
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
    // The samples in front of the matched filter (kRxSamplesPerSymbol a symbol), likewise.
    void push_base(std::span<const cf> x, double offsetHz);
    // Looks for the station between lo and hi Hz (a range narrower than the baud); a
    // full look rates `current`, where the receiver is now, against it, only over the
    // latest symbols when the receiver holds a lock; `drift`: drifting stations are looked
    // for too. False when nothing was found.
    bool analyse(Look look, double lo, double hi, double current, bool locked, bool drift, Finding &f);
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
    // A drifting station is followed back at its `rate` (Hz a second) from hz at the newest
    // symbol.
    int decode(double hz, int count, std::span<uint8_t, kHistory> bits, double rate = 0.0) const;
    // How far a station at hz at the newest symbol, drifting at `rate`, has turned from
    // `back` symbols before it to the newest, radians.
    double turn_since(double hz, double rate, int back) const;
    // How many of the latest symbols (at most count) came after the last quiet stretch:
    // what a station that came on within them sent, without the noise before it.
    int since_quiet(int count) const;

private:
    // u turned on by the oscillator's offset over one sample.
    static cf turned(cf u, double &phase, double radians);
    cf at(int back) const; // the symbol `back` places before the newest
    bool reversals(double lo, double hi, Finding &f) const;
    // Whether reversals found at hz show their carrier's two tones beside it.
    bool tones_beside(double hz, int symbols) const;
    bool fourth_power(double lo, double hi, double current, bool locked, bool drift, Finding &f);
    // The fourth-power line of the symbols' fourth powers v with a drift taken out by
    // `chirp` (none if empty; its conjugate unless `up`), over a spectrum of `bins` (a
    // power of two, at most twice kWindow): its offset at the newest symbol (Hz, up to a
    // quarter baud) and its strength.
    void line(std::span<const cf> v, std::span<const cf> chirp, bool up, std::size_t bins, double &hz,
              double &score) const;
    // Mean Viterbi path growth a symbol over the last `count` symbols turned back by hz
    // (at the newest symbol, drifting at `rate`).
    float metric(double hz, int count, bool lsb, double rate = 0.0) const;
    // The symbol-to-symbol changes, from the one into the symbol `from` places before the
    // newest on towards the newest, each turned back by a station at hz drifting at `rate`
    // and scaled by `gain`.
    class Changes {
    public:
        Changes(const QpskAcquirer &a, int from, double hz, double rate, float gain);
        cf next();

    private:
        const QpskAcquirer &a_;
        int back_;
        float gain_;
        cf turn_, bend_;
        bool bends_;
    };
    // Power of the fourth-power line of the wide samples at this offset, over the
    // stretch of the latest `symbols`.
    double wide_line(double hz, int symbols, double rate) const;
    // The mean power a matched filter at hz would put out over the latest `symbols`.
    double band_power(double hz, int symbols) const;
    // The candidate at hz, or the one half a baud beside it, folded into [lo, hi].
    bool place(double hz, int symbols, double rate, double lo, double hi, double &out) const;

    double baud_ = 31.25;
    double driftStep_ = 0.25;              // Hz a second between the drift rates tried
    double lastDrift_ = 0.0;               // the rate the last drifting look found best, Hz a second
    bool scanned_ = false;                 // whether that look tried them all
    double driftRise_ = 1.0;               // how much higher noise's best line stands over them all
    std::array<cf, kDriftWindow> chirp_{}; // the turn of the smallest of them, symbols back
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
    static constexpr int kBaseRing = kRxSamplesPerSymbol * kWindow;
    std::array<cf, kBaseRing> base_{};
    int baseHead_ = 0; // where the next sample goes
    int baseCount_ = 0;
    double basePhase_ = 0.0;
};

} // namespace pskmodem
