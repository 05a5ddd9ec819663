#include "config.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace pskmodem {

namespace {

// A configuration file is a handful of lines; anything bigger is not one.
constexpr std::size_t kMaxFileSize = 1 << 20;

// A '#' starts a comment unless it is inside double quotes ("/my #2/a.wav").
std::string_view strip_comment(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted)
            return line.substr(0, i);
    }
    return line;
}

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool parse_bool(std::string_view value, bool &out) {
    const std::string v = lower(value);
    if (v == "true" || v == "yes" || v == "on" || v == "1") {
        out = true;
        return true;
    }
    if (v == "false" || v == "no" || v == "off" || v == "0") {
        out = false;
        return true;
    }
    return false;
}

bool parse_double(std::string_view value, double &out) {
    double d = 0.0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), d);
    if (ec != std::errc() || end != value.data() + value.size() || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

// COM1..COM8 -> 1..8, anything else -> 0.
int com_port_of(const std::string &key) {
    if (key.size() != 4 || key.compare(0, 3, "com") != 0)
        return 0;
    const int n = key[3] - '0';
    return n >= 1 && n <= Config::kComPorts ? n : 0;
}

std::string env(const char *name) {
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

Config::Config() {
    for (int i = 0; i < kComPorts; ++i)
        comDevices[static_cast<std::size_t>(i)] = "/dev/ttyS" + std::to_string(i);
}

OutputKind Config::effective_output() const {
    if (output != OutputKind::Default)
        return output;
    return input == InputKind::SoundCard ? OutputKind::SoundCard : OutputKind::None;
}

Config parse_config(std::string_view text, const std::string &baseDir) {
    Config cfg;
    // Editors on some systems begin a UTF-8 file with a byte-order mark.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    int lineNo = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++lineNo;

        line = trim(strip_comment(line));
        if (line.empty())
            continue;
        const std::size_t eq = line.find('=');
        const auto problem = [&](const std::string &what) {
            cfg.problems.push_back("line " + std::to_string(lineNo) + ": " + what);
        };
        if (eq == std::string_view::npos) {
            problem("no '=' in \"" + std::string(line) + "\"");
            continue;
        }
        const std::string key = lower(trim(line.substr(0, eq)));
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);

        if (key == "input") {
            const std::string v = lower(value);
            if (v == "soundcard")
                cfg.input = InputKind::SoundCard;
            else if (v == "wav")
                cfg.input = InputKind::Wav;
            else if (v == "loopback")
                cfg.input = InputKind::Loopback;
            else if (v == "simulated")
                cfg.input = InputKind::Simulated;
            else
                problem("input must be soundcard, wav, loopback or simulated");
        } else if (key == "output") {
            const std::string v = lower(value);
            if (v == "soundcard")
                cfg.output = OutputKind::SoundCard;
            else if (v == "wav")
                cfg.output = OutputKind::Wav;
            else if (v == "none")
                cfg.output = OutputKind::None;
            else
                problem("output must be soundcard, wav or none");
        } else if (key == "wav_file" || key == "wav_out") {
            std::filesystem::path p{std::string(value)};
            if (!value.empty() && p.is_relative() && !baseDir.empty())
                p = std::filesystem::path(baseDir) / p;
            (key == "wav_file" ? cfg.wavFile : cfg.wavOut) = p.string();
        } else if (key == "tx_level") {
            double db = 0.0;
            if (parse_double(value, db) && db <= 0.0 && db >= -60.0)
                cfg.txLevelDb = db;
            else
                problem("tx_level must be a number of dB from -60 to 0");
        } else if (key == "sim_stations") {
            double n = 0.0;
            if (parse_double(value, n) && n >= 0.0 && n <= 8.0 && n == std::floor(n))
                cfg.simStations = static_cast<int>(n);
            else
                problem("sim_stations must be a whole number from 0 to 8");
        } else if (key == "sim_noise") {
            double db = 0.0;
            if (parse_double(value, db) && db <= 0.0 && db >= -120.0)
                cfg.simNoiseDb = db;
            else
                problem("sim_noise must be a number of dB from -120 to 0");
        } else if (key == "sim_seed") {
            double n = 0.0;
            if (parse_double(value, n) && n >= 0.0 && n <= 4294967295.0 && n == std::floor(n))
                cfg.simSeed = static_cast<uint32_t>(n);
            else
                problem("sim_seed must be a whole number from 0 to 4294967295");
        } else if (key == "wav_loop") {
            if (!parse_bool(value, cfg.wavLoop))
                problem("wav_loop must be true or false");
        } else if (key == "wav_speed") {
            double speed = 0.0;
            if (parse_double(value, speed) && speed > 0.0)
                cfg.wavSpeed = std::clamp(speed, Config::kMinWavSpeed, Config::kMaxWavSpeed);
            else
                problem("wav_speed must be a positive number");
        } else if (const int port = com_port_of(key); port != 0) {
            if (value.empty())
                problem(key + " needs a device path");
            else
                cfg.comDevices[static_cast<std::size_t>(port - 1)] = std::string(value);
        }
        // Unknown keys are skipped so that newer files still work with this version.
    }
    return cfg;
}

std::string config_path() {
    if (std::string p = env("PSKMODEM_CONFIG"); !p.empty())
        return p;
    if (const std::string xdg = env("XDG_CONFIG_HOME"); !xdg.empty())
        return xdg + "/pskmodem/pskmodem.conf";
    if (const std::string home = env("HOME"); !home.empty())
        return home + "/.config/pskmodem/pskmodem.conf";
    return {};
}

Config load_config() {
    const std::string path = config_path();
    if (path.empty())
        return Config();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return Config();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Config();
    // One byte more than is read tells whether the file goes on past the limit.
    std::string text;
    text.resize(kMaxFileSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    const bool cut = text.size() > kMaxFileSize;
    if (cut) {
        // Half a line could set a wrong value: the line the limit falls in goes too.
        text.resize(kMaxFileSize);
        const std::size_t lastNl = text.rfind('\n');
        text.resize(lastNl == std::string::npos ? 0 : lastNl + 1);
    }

    Config cfg = parse_config(text, std::filesystem::path(path).parent_path().string());
    if (cut)
        cfg.problems.push_back("the file is larger than 1 MiB; everything after line " +
                               std::to_string(std::count(text.begin(), text.end(), '\n')) + " is ignored");
    for (const std::string &p : cfg.problems)
        std::fprintf(stderr, "pskmodem: %s: %s\n", path.c_str(), p.c_str());
    return cfg;
}

} // namespace pskmodem
