#include "audio_io.h"

#include "loopback.h"
#include "portaudio_sink.h"
#include "portaudio_source.h"
#include "simulated_band.h"
#include "wav_sink.h"
#include "wav_source.h"

#include <cmath>
#include <random>

namespace pskmodem {

AudioIo make_audio_io(const Config &cfg, int card) {
    AudioIo io;
    switch (cfg.effective_output()) {
    case OutputKind::SoundCard:
        io.sink = std::make_unique<PortAudioSink>(card);
        break;
    case OutputKind::Wav:
        io.sink = std::make_unique<WavSink>(cfg.wavOut);
        break;
    case OutputKind::Default:
    case OutputKind::None:
        io.sink = std::make_unique<NullSink>();
        break;
    }

    switch (cfg.input) {
    case InputKind::SoundCard:
        io.source = std::make_unique<PortAudioSource>(card);
        break;
    case InputKind::Wav:
        io.source = std::make_unique<WavSource>(cfg.wavFile, cfg.wavLoop);
        io.speed = cfg.wavSpeed;
        break;
    case InputKind::Loopback:
    case InputKind::Simulated: {
        BandSettings band;
        band.stations = cfg.input == InputKind::Simulated ? cfg.simStations : 0;
        band.noiseDb = cfg.simNoiseDb;
        band.seed = cfg.simSeed != 0 ? cfg.simSeed : std::random_device{}();
        auto buffer = std::make_shared<LoopbackBuffer>();
        io.source = std::make_unique<LoopbackSource>(std::make_unique<SimulatedBand>(band), buffer);
        std::vector<std::unique_ptr<AudioSink>> sinks;
        sinks.push_back(std::move(io.sink));
        sinks.push_back(std::make_unique<LoopbackSink>(buffer));
        io.sink = std::make_unique<TeeSink>(std::move(sinks));
        io.speed = cfg.wavSpeed;
        break;
    }
    }
    return io;
}

float tx_amplitude(const Config &cfg) {
    return static_cast<float>(std::pow(10.0, cfg.txLevelDb / 20.0));
}

} // namespace pskmodem
