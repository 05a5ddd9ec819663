// BPSK decisions through a fade against a phase reference taken from the symbols on
// both sides.
//
// In a slow fade the channel's phase hardly moves over a few symbols, but the carrier
// loop, which sees only the symbols up to now, lags and is thrown about by the noise
// just where the signal is weakest. While the signal stands well below its own level of
// the last seconds, the bits wait: each symbol is then decided against the squared
// symbols (the modulation stripped, each weighted by its own power) of kReach symbols
// before and after it, a reference that neither lags nor wanders with the noise of the
// symbol itself. This holds only while the channel's phase is steady over that span:
// a fade as fast as Watterson "moderate" (0.5 Hz) turns it too far, and there the
// loop's own decisions (which compare neighbouring symbols in a deep fade) do better,
// so the stage waits only while the squared symbols 16 apart agree nearly as well as
// neighbouring ones. Once the signal is back, the stage catches up two bits a symbol and
// then passes the loop's own decisions on as they come, so a steady signal keeps its
// latency and its decisions.
#pragma once

#include "rx_types.h"
#include "varicode_decoder.h"

#include <array>
#include <span>

namespace pskmodem {

class PhaseSmoother {
public:
    static constexpr int kReach = 6;

    PhaseSmoother() { reset(); }
    void reset();
    // One symbol: u as it comes from the symbol timing, the carrier loop's frequency
    // (radians a symbol), the running mean amplitude, the bit the loop's own decision
    // gives, and whether a station is held that a weak stretch would be a fade of (an
    // over's end is not one: its noise must not wait into the next over). Writes 0, 1
    // or 2 bits to out, oldest first; returns how many.
    int push(cf u, double omega, float amplitude, SoftBit loopBit, bool held, std::span<SoftBit, 2> out);
    // The bits still waiting belong to what came before a new signal: forget them.
    void drop() { delay_ = 0; }
    // Symbols pushed whose bits have not come out yet.
    int delay() const { return delay_; }

private:
    static constexpr int kRing = 32; // > 2 * kReach + 2 and > kSpread, a power of two
    struct Entry {
        cf z;      // the symbol turned back by the loop's frequency
        float amp; // running mean amplitude then
    };
    const Entry &at(int back) const {
        return ring_[static_cast<std::size_t>((next_ - 1 - back) & (kRing - 1))];
    }
    bool weak(float power);
    // Whether the channel's phase holds still over the span of a reference.
    bool steady();
    // The reference (a unit phasor, up to its sign) for the symbol `back` symbols before
    // the newest, from those within kReach either side that have come in.
    cf reference(int back) const;
    SoftBit decide(int back) const;

    std::array<Entry, kRing> ring_{};
    std::array<float, 4> recent_{}; // the latest symbols' power
    int next_ = 0;
    int count_ = 0;
    int delay_ = 0;
    double phase_ = 0.0;
    float level_ = 0.0f; // slow mean power
    float noise_ = 0.0f; // ... and of the noise
    // Running means of the squared symbols' products with those one and kSpread back,
    // and of their magnitudes.
    cf near_{}, far_{};
    float nearMag_ = 0.0f, farMag_ = 0.0f;
};

} // namespace pskmodem
