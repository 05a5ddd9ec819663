// Which PortAudio device a card number names, for input and for output alike.
#pragma once

#include <portaudio.h>

namespace pskmodem {

// card -1 is the default device; 0..2 the first, second, third device with
// channels in the wanted direction. Anything else, or a missing device, gives
// paNoDevice.
inline PaDeviceIndex find_portaudio_device(int card, bool input) {
    if (card == -1)
        return input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    if (card < 0 || card > 2)
        return paNoDevice;
    int seen = 0;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo *info = Pa_GetDeviceInfo(i);
        const int channels = info ? (input ? info->maxInputChannels : info->maxOutputChannels) : 0;
        if (channels > 0 && seen++ == card)
            return i;
    }
    return paNoDevice;
}

} // namespace pskmodem
