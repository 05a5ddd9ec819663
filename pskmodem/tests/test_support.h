// Helpers shared by the library's tests: temporary files, test tones, a configuration
// file pointed to by $PSKMODEM_CONFIG, and a recorder for notifications.
#pragma once

#include "pskmodem.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct Tone {
    int rate = 8000;
    int channels = 1;
    double hz = 1000.0;
    double amplitude = 0.25; // of full scale (-12 dBFS)
    double noiseSigma = 0.0;
    double seconds = 1.0;
    int format = 0; // libsndfile format; 0 = WAV, 16-bit PCM
};

// Writes the tone with libsndfile; the amplitude may exceed 1 to make a clipped file.
void write_tone(const std::string &path, const Tone &tone);
void write_bytes(const std::string &path, const std::string &bytes);
std::string read_bytes(const std::string &path);

// Points $PSKMODEM_CONFIG at a file with the given text for the object's lifetime.
class ScopedConfig {
public:
    ScopedConfig(const TempDir &dir, const std::string &text);
    ~ScopedConfig();
};

struct Message {
    int32_t message, wParam, lParam;
};

// Collects notifications from the DSP thread.
class MessageLog {
public:
    MessageLog() = default;
    // A log may be the library's notify target: it stops the library before it goes, so
    // no notification reaches a destroyed log whatever order a test declares things in.
    ~MessageLog();
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    PskNotifyTarget target();
    std::vector<Message> messages() const;
    std::size_t count(int32_t message) const;
    // Waits until `count(message) >= n`; false on timeout.
    bool wait_for(int32_t message, std::size_t n,
                  std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Runs inside every notification, on the DSP thread, before it is recorded.
    std::function<void(const Message &)> onMessage;

private:
    static void callback(void *context, int32_t message, int32_t wParam, int32_t lParam);
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> log_;
};

// The index of the largest of values[0..n).
int argmax(const int32_t *values, int n);

} // namespace testing_support
