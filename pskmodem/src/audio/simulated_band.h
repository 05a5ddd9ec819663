// A simulated stretch of band: several PSK31 stations at different frequencies,
// levels and modes, each frequency holding one contact after another between a
// regular caller and stations that answer, with slow fading and band noise. It is
// computed as it is read, so it never runs out; the engine reads it at real-time pace
// (times wav_speed), like a file. The same seed gives the same band.
#pragma once

#include "audio_source.h"
#include "band_noise.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace pskmodem {

struct BandSettings {
    static constexpr int kMaxStations = 8;
    int stations = 5;       // frequencies with a contact going on, 0..8
    double noiseDb = -40.0; // noise power in 2500 Hz relative to a full-scale sine
    uint32_t seed = 1;
};

class SimulatedBand : public AudioSource {
public:
    struct Station {
        double frequency; // Hz
        int32_t mode;     // 0 BPSK31, 1 QPSK31, 8 BPSK63, 9 QPSK63 (upper sideband)
    };

    explicit SimulatedBand(const BandSettings &settings);
    ~SimulatedBand() override;

    // Starts the band from its beginning.
    int open() override;
    SourceRead read(std::span<float> out) override;
    bool realtime() const override { return false; }
    void close() override {}

    const std::vector<Station> &stations() const { return stations_; }
    // Everything each frequency has started to send so far (for tests and curiosity).
    std::vector<std::string> sent_text() const;

private:
    struct Slot;

    BandSettings settings_;
    std::vector<Station> stations_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::unique_ptr<BandNoise> noise_;
    std::vector<float> scratch_;
};

} // namespace pskmodem
