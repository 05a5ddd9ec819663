#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <sndfile.h>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "pskmodem-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_tone(const std::string &path, const Tone &tone) {
    SF_INFO info{};
    info.samplerate = tone.rate;
    info.channels = tone.channels;
    info.format = tone.format ? tone.format : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    // Clip instead of wrapping when a test asks for an overdriven tone.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, tone.noiseSigma > 0.0 ? tone.noiseSigma : 1.0);
    const auto frames = static_cast<long>(tone.seconds * tone.rate);
    std::vector<float> frame(static_cast<std::size_t>(tone.channels));
    for (long n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / tone.rate;
        double v = tone.amplitude * std::sin(2.0 * std::numbers::pi * tone.hz * t);
        if (tone.noiseSigma > 0.0)
            v += noise(rng);
        std::fill(frame.begin(), frame.end(), static_cast<float>(std::clamp(v, -1.0, 1.0)));
        sf_writef_float(file, frame.data(), 1);
    }
    sf_close(file);
}

void write_bytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ScopedConfig::ScopedConfig(const TempDir &dir, const std::string &text) {
    const std::string path = dir.file("pskmodem.conf");
    write_bytes(path, text);
    setenv("PSKMODEM_CONFIG", path.c_str(), 1);
}

ScopedConfig::~ScopedConfig() {
    unsetenv("PSKMODEM_CONFIG");
}

MessageLog::~MessageLog() {
    fnStopSoundCard();
}

PskNotifyTarget MessageLog::target() {
    return PskNotifyTarget{&MessageLog::callback, this};
}

void MessageLog::callback(void *context, int32_t message, int32_t wParam, int32_t lParam) {
    auto *self = static_cast<MessageLog *>(context);
    const Message m{message, wParam, lParam};
    if (self->onMessage)
        self->onMessage(m);
    {
        std::lock_guard lock(self->mutex_);
        self->log_.push_back(m);
    }
    self->changed_.notify_all();
}

std::vector<Message> MessageLog::messages() const {
    std::lock_guard lock(mutex_);
    return log_;
}

std::size_t MessageLog::count(int32_t message) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(log_.begin(), log_.end(), [&](const Message &m) { return m.message == message; }));
}

bool MessageLog::wait_for(int32_t message, std::size_t n, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(std::count_if(
                   log_.begin(), log_.end(), [&](const Message &m) { return m.message == message; })) >= n;
    });
}

int argmax(const int32_t *values, int n) {
    return static_cast<int>(std::max_element(values, values + n) - values);
}

} // namespace testing_support
