#include "portaudio_init.h"

#include <mutex>

#ifdef PSKMODEM_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace pskmodem {

namespace {

#ifdef PSKMODEM_HAVE_ALSA
// ALSA's messages about missing cards and unusable plugins; the result codes say the same.
void drop_alsa_message(const char *, int, const char *, int, const char *, ...) {}
#endif

} // namespace

PaError initialise_portaudio() {
    static std::once_flag quiet;
    std::call_once(quiet, [] {
#ifdef PSKMODEM_HAVE_ALSA
        snd_lib_error_set_handler(&drop_alsa_message);
#endif
    });
    return Pa_Initialize();
}

} // namespace pskmodem
