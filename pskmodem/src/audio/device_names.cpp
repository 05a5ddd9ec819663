#include "device_names.h"

#include "portaudio_devices.h"

#include <portaudio.h>

namespace pskmodem {

namespace {

std::string sound_card_name(int card, bool input) {
    if (card < -1 || card > 2)
        return {};
    // Initialisation is counted, so this is safe while the sound card runs.
    if (Pa_Initialize() != paNoError)
        return {};
    std::string name;
    const PaDeviceIndex device = find_portaudio_device(card, input);
    if (device != paNoDevice) {
        if (const PaDeviceInfo *info = Pa_GetDeviceInfo(device); info && info->name)
            name = info->name;
    }
    Pa_Terminate();
    return name;
}

std::string wav_name(const std::string &path) {
    return path.empty() ? std::string() : "WAV file " + path;
}

} // namespace

std::string device_name(const Config &cfg, DeviceKind kind, int number) {
    switch (kind) {
    case DeviceKind::ComPort:
        if (number < 1 || number > Config::kComPorts)
            return {};
        return cfg.comDevices[static_cast<std::size_t>(number - 1)];
    case DeviceKind::Input:
        if (number < -1 || number > 2)
            return {};
        switch (cfg.input) {
        case InputKind::SoundCard:
            return sound_card_name(number, true);
        case InputKind::Wav:
            return wav_name(cfg.wavFile);
        case InputKind::Loopback:
            return "loopback of the transmitted signal";
        case InputKind::Simulated:
            return "simulated band";
        }
        return {};
    case DeviceKind::Output:
        if (number < -1 || number > 2)
            return {};
        switch (cfg.effective_output()) {
        case OutputKind::SoundCard:
            return sound_card_name(number, false);
        case OutputKind::Wav:
            return wav_name(cfg.wavOut);
        case OutputKind::Default:
        case OutputKind::None:
            return {};
        }
        return {};
    }
    return {};
}

} // namespace pskmodem
