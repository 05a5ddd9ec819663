#include "simulated_band.h"

#include "modem_state.h"
#include "qso_script.h"
#include "tx/transmitter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {

constexpr double kLowest = 500.0;
constexpr double kHighest = 2600.0;
constexpr double kSpacing = 180.0;
constexpr std::size_t kMaxSent = 1 << 16;
// Mostly BPSK31, as on the air, with the other modes mixed in (all upper sideband: the
// band is heard as a USB receiver hears it).
constexpr int32_t kModes[BandSettings::kMaxStations] = {0, 0, 1, 8, 0, 9, 0, 8};

std::size_t seconds(double s) {
    return static_cast<std::size_t>(s * kModemRate);
}

} // namespace

// One frequency: a caller who keeps the frequency and whoever answers.
struct SimulatedBand::Slot {
    Slot(uint32_t seed, double hz, int32_t m, double noise2500) : script(seed), frequency(hz), mode(m) {
        noisePower = noise2500;
        caller = script.make_operator();
        qsbPeriod = uniform(12.0, 40.0);
        qsbPhase = uniform(0.0, 2.0 * std::numbers::pi);
        wait = seconds(uniform(0.3, 6.0));
        state.set_tx_frequency(static_cast<int32_t>(std::lround(hz)));
    }

    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(script.rng());
    }

    // Peak amplitude for a signal-to-noise ratio (2500 Hz) of `snrDb`, taking the
    // signal's power as that of a carrier of the same peak.
    float amplitude(double snrDb) const {
        const double power = noisePower * std::pow(10.0, snrDb / 10.0);
        return static_cast<float>(std::min(std::sqrt(2.0 * power), 0.3));
    }

    void next_contact() {
        // Now and then somebody else takes the frequency.
        if (std::bernoulli_distribution(0.25)(script.rng()))
            caller = script.make_operator();
        const Operator answerer = script.make_operator();
        const int unanswered = std::uniform_int_distribution<int>(0, 2)(script.rng());
        overs = script.contact(caller, answerer, unanswered);
        next = 0;
        callerLevel = amplitude(uniform(4.0, 20.0));
        answererLevel = amplitude(uniform(-3.0, 15.0));
        answererOffset = uniform(-6.0, 6.0);
    }

    void start_over() {
        if (next >= overs.size())
            next_contact();
        const QsoScript::Over &over = overs[next++];
        const bool caller_ = over.speaker == QsoScript::kCaller;
        state.set_tx_level(caller_ ? callerLevel : answererLevel);
        tx.set_frequency_offset(caller_ ? 0.0 : answererOffset);
        for (const char c : over.text)
            state.send(static_cast<unsigned char>(c), 0);
        sent += over.text;
        if (sent.size() > kMaxSent)
            sent.erase(0, sent.size() - kMaxSent / 2);
        state.start_tx(mode);
        state.stop_tx();
        // The next over follows a short pause; a new contact a longer one.
        wait = next >= overs.size() ? seconds(uniform(6.0, 20.0)) : seconds(uniform(1.0, 4.0));
    }

    void add_to(std::span<float> out, std::span<float> scratch) {
        if (!tx.on_air() && !state.tx_control().requested) {
            if (wait > out.size()) {
                wait -= out.size();
                return;
            }
            start_over();
        }
        tx.process(state, scratch);
        // Slow fading of a few dB.
        const double t = static_cast<double>(clock) / kModemRate;
        const double db = 3.0 * std::sin(2.0 * std::numbers::pi * t / qsbPeriod + qsbPhase);
        const auto gain = static_cast<float>(std::pow(10.0, db / 20.0));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] += gain * scratch[i];
        clock += out.size();
    }

    QsoScript script;
    double frequency;
    int32_t mode;
    double noisePower = 0.0;
    ModemState state;
    Transmitter tx;
    Operator caller;
    std::vector<QsoScript::Over> overs;
    std::size_t next = 0;
    float callerLevel = 0.1f;
    float answererLevel = 0.1f;
    double answererOffset = 0.0;
    std::size_t wait = 0;
    std::size_t clock = 0;
    double qsbPeriod = 20.0;
    double qsbPhase = 0.0;
    std::string sent;
};

SimulatedBand::SimulatedBand(const BandSettings &settings) : settings_(settings) {
    settings_.stations = std::clamp(settings_.stations, 0, BandSettings::kMaxStations);
}

SimulatedBand::~SimulatedBand() = default;

int SimulatedBand::open() {
    std::mt19937 rng(settings_.seed);
    // Frequencies spread over the usual audio range, never closer than kSpacing.
    stations_.clear();
    std::uniform_real_distribution<double> where(kLowest, kHighest);
    for (int i = 0; i < settings_.stations; ++i) {
        double f = 0.0;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            f = std::round(where(rng));
            const bool clear = std::none_of(stations_.begin(), stations_.end(), [&](const Station &s) {
                return std::fabs(s.frequency - f) < kSpacing;
            });
            if (clear)
                break;
        }
        stations_.push_back({f, kModes[i]});
    }
    const double noise2500 = 0.5 * std::pow(10.0, settings_.noiseDb / 10.0);
    slots_.clear();
    for (const Station &s : stations_)
        slots_.push_back(
            std::make_unique<Slot>(static_cast<uint32_t>(rng()), s.frequency, s.mode, noise2500));
    noise_ = std::make_unique<BandNoise>(noise2500, static_cast<uint32_t>(rng()));
    scratch_.assign(4096, 0.0f);
    return 0;
}

SourceRead SimulatedBand::read(std::span<float> out) {
    SourceRead r;
    if (!noise_)
        open();
    while (r.count < out.size()) {
        const std::span<float> part = out.subspan(r.count, std::min(out.size() - r.count, scratch_.size()));
        std::fill(part.begin(), part.end(), 0.0f);
        noise_->process(part);
        for (auto &slot : slots_)
            slot->add_to(part, std::span(scratch_).first(part.size()));
        r.count += part.size();
    }
    return r;
}

std::vector<std::string> SimulatedBand::sent_text() const {
    std::vector<std::string> out;
    for (const auto &slot : slots_)
        out.push_back(slot->sent);
    return out;
}

} // namespace pskmodem
