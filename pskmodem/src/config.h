// The library's own configuration file: where the audio comes from and goes to, and
// which serial device each COM port number means. Read at every start, so a change
// applies to the next start without reloading the library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pskmodem {

enum class InputKind { SoundCard, Wav, Loopback, Simulated };
// Default: the sound card when the input is the sound card, otherwise nowhere.
enum class OutputKind { Default, SoundCard, Wav, None };

struct Config {
    static constexpr int kComPorts = 8;
    static constexpr double kMinWavSpeed = 0.1;
    static constexpr double kMaxWavSpeed = 100.0;

    InputKind input = InputKind::SoundCard;
    std::string wavFile;
    bool wavLoop = true;
    double wavSpeed = 1.0;
    OutputKind output = OutputKind::Default;
    std::string wavOut;      // relative paths are taken from the file's folder
    double txLevelDb = -6.0; // peak of the transmitted signal, dB relative to full scale
    int simStations = 5;
    double simNoiseDb = -40.0; // noise power in 2500 Hz relative to a full-scale sine
    uint32_t simSeed = 0;      // 0: a different band at every start
    // comDevices[n - 1] is the device of COMn.
    std::array<std::string, kComPorts> comDevices;
    // One line per value that was not understood; that value kept its default.
    std::vector<std::string> problems;

    Config();
    // `output` with its default resolved.
    OutputKind effective_output() const;
};

// Parses `key = value` lines. A relative wav_file is taken relative to baseDir.
Config parse_config(std::string_view text, const std::string &baseDir = {});

// $PSKMODEM_CONFIG, else $XDG_CONFIG_HOME/pskmodem/pskmodem.conf, else
// $HOME/.config/pskmodem/pskmodem.conf; empty when none of them is set.
std::string config_path();

// Reads the file at config_path(). A missing or unreadable file gives the defaults;
// problems are reported on stderr, since the library has no other channel for them
// before it is started.
Config load_config();

} // namespace pskmodem
