#include "render.h"

#include "audio/audio_source.h"
#include "modem_state.h"
#include "pskmodem.h"
#include "transmitter.h"

#include <cmath>
#include <random>

namespace pskmodem {

std::vector<float> render_transmission(std::string_view text, const RenderOptions &options) {
    ModemState state;
    state.set_tx_frequency(options.frequency);
    state.set_tx_level(options.level);
    for (const char c : text)
        state.send(static_cast<unsigned char>(c), 0);
    state.start_tx(options.mode);
    state.stop_tx();

    Transmitter tx;
    tx.set_frequency_offset(options.offset);
    std::vector<float> out;
    std::vector<float> chunk(256);
    for (;;) {
        const Transmitter::Report r = tx.process(state, chunk);
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(r.samples));
        bool ended = false;
        for (int i = 0; i < r.count; ++i)
            ended = ended || r.statuses[static_cast<std::size_t>(i)] == PSK_STATUS_RX;
        if (ended || (r.count == 0 && !tx.on_air()))
            break;
    }
    return out;
}

double mean_power(std::span<const float> samples) {
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (const float s : samples)
        sum += static_cast<double>(s) * s;
    return sum / static_cast<double>(samples.size());
}

void add_noise(std::span<float> samples, double signalPower, double snrDb, uint32_t seed) {
    const double noiseIn2500 = signalPower / std::pow(10.0, snrDb / 10.0);
    const double sigma = std::sqrt(noiseIn2500 * (kModemRate / 2.0) / 2500.0);
    std::mt19937 rng(seed);
    std::normal_distribution<double> gauss(0.0, sigma);
    for (float &s : samples)
        s += static_cast<float>(gauss(rng));
}

} // namespace pskmodem
