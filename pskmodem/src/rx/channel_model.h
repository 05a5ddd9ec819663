// A model of an HF channel for the receiver's tests and benchmark: the stations under
// test (one transmission or the overs of a contact) pass through Watterson two-path
// fading and frequency drift; other stations and unmodulated carriers are added at
// their own offsets and levels; the card's sample clock may be off; white Gaussian noise
// sets the SNR. Everything is drawn from the seed, so the same parameters give the same
// samples.
//
// Levels and SNR are referred to the mean keyed power of the first wanted transmission
// before fading (the fading taps have unit mean power, so it is also the mean power
// received), and the noise is counted in 2500 Hz, as the benchmark has always done.
#pragma once

#include "test_signal.h"

#include <array>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace pskmodem {

// Watterson (ITU-R F.1487) two-path channel: two independent Rayleigh paths of equal
// mean power, the second delayed; each path's Doppler spectrum is Gaussian with a
// two-sided width of spreadHz (twice its standard deviation). spreadHz 0: no fading.
struct Watterson {
    double delayMs = 0.0;
    double spreadHz = 0.0;
};
inline constexpr Watterson kWattersonGood{0.5, 0.1};
inline constexpr Watterson kWattersonModerate{1.0, 0.5};
inline constexpr Watterson kWattersonPoor{2.0, 1.0};

// A complex Gaussian process with unit mean power and a Gaussian Doppler spectrum of
// two-sided width spreadHz, defined from 0 to `seconds`: white noise through a Gaussian
// filter at a low rate, interpolated linearly in between (the spectrum is a few hertz
// wide at most).
class RayleighPath {
public:
    RayleighPath(double spreadHz, double seconds, uint64_t seed);
    std::complex<double> at(double t) const;
    double rate() const { return rate_; }

private:
    double rate_ = 50.0;
    std::vector<std::complex<double>> g_;
};

struct Drift {
    enum class Shape { None, Linear, Triangle };
    Shape shape = Shape::None;
    // Hz per second; its sign is the direction it starts in.
    double rate = 0.0;
    // Triangle: the largest deviation from the nominal frequency, Hz. It starts at the
    // nominal frequency, runs to +span (or -span), turns, runs to the other side, ...
    double span = 0.0;
    // The deviation at t seconds from the start of the recording.
    double at(double t) const;
};

// One transmission of a station under test (a contact is several, one after another).
struct Transmission {
    std::string text;
    int32_t mode = 0;          // receive mode numbering: 0, 1, 2, 8, 9, 10
    double frequency = 1000.0; // Hz, nominal (before drift)
    double start = 0.0;        // seconds from the start of the recording
    double levelDb = 0.0;      // relative to the first transmission
    double phase = 0.0;
    double preamble = 1.0, postamble = 1.0;
};

// Another station, not under test: never faded nor drifting. A start before 0 has it
// on the air when the recording begins.
struct ExtraStation {
    std::string text;
    int32_t mode = 0;
    double frequency = 1060.0;
    double levelDb = 0.0; // mean keyed power relative to the first wanted transmission
    double start = 0.0;
    double phase = 1.0;
};

struct ExtraCarrier {
    double frequency = 1040.0;
    double levelDb = 0.0; // power relative to the first wanted transmission
};

struct ChannelParams {
    std::vector<Transmission> wanted;
    double amplitude = 0.5; // peak of the first wanted transmission
    Watterson fading;       // on the wanted transmissions
    Drift drift;            // of the wanted transmissions
    double clockPpm = 0.0;  // the receiving card runs fast by this much
    std::vector<ExtraStation> stations;
    std::vector<ExtraCarrier> carriers;
    double snrDb = 1000.0; // >= 1000: no noise
    double tail = 0.5;     // seconds recorded after the last wanted transmission
    uint64_t seed = 1;
};

struct ChannelSignal {
    std::vector<float> samples; // at the receiving card's rate, full scale 1
    struct Sent {
        std::size_t start = 0, end = 0; // where the transmission is on the air
        std::vector<std::size_t> charStarts, charEnds;
    };
    std::vector<Sent> wanted; // one per wanted transmission
};

ChannelSignal make_channel_signal(const ChannelParams &p);

} // namespace pskmodem
