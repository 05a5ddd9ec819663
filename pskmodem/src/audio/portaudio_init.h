// Starting PortAudio for the sound-card source and sink.
#pragma once

#include <portaudio.h>

namespace pskmodem {

// Pa_Initialize, with the audio system's own diagnostics kept off standard error: probing
// the host's devices makes ALSA print a line for every card it cannot find (a computer
// without a sound card, a container), although nothing is wrong that our status codes do
// not already report.
PaError initialise_portaudio();

} // namespace pskmodem
