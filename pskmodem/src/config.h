// The library's own configuration file: where the audio comes from and which serial
// device each COM port number means. Read at every start, so a change applies to the
// next start without reloading the library.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pskmodem {

enum class InputKind { SoundCard, Wav };

struct Config {
    static constexpr int kComPorts = 8;
    static constexpr double kMinWavSpeed = 0.1;
    static constexpr double kMaxWavSpeed = 100.0;

    InputKind input = InputKind::SoundCard;
    std::string wavFile;
    bool wavLoop = true;
    double wavSpeed = 1.0;
    // comDevices[n - 1] is the device of COMn.
    std::array<std::string, kComPorts> comDevices;
    // One line per value that was not understood; that value kept its default.
    std::vector<std::string> problems;

    Config();
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
