// Builds the input and the output the configuration file asks for.
#pragma once

#include "audio_sink.h"
#include "audio_source.h"
#include "config.h"

#include <memory>

namespace pskmodem {

struct AudioIo {
    std::unique_ptr<AudioSource> source;
    std::unique_ptr<AudioSink> sink;
    double speed = 1.0; // pace of a source that is not a sound card, times real time
};

// card: the sound card given to fnStartSoundCard, used for sound card input and output.
// With input = loopback or simulated the transmitted audio is also mixed into the input.
AudioIo make_audio_io(const Config &cfg, int card);

// tx_level (dB relative to full scale) as a peak amplitude.
float tx_amplitude(const Config &cfg);

} // namespace pskmodem
