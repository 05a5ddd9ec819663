// Where the transmitted audio goes: a sound card, a WAV file, the input (loopback), or
// nowhere. A sink receives 8000 Hz mono samples on a full-scale range of +-1.0, and
// only while a transmission is on air.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace pskmodem {

class AudioSink {
public:
    virtual ~AudioSink() = default;

    // Prepares the output when the engine starts. A failure does not stop the receiver:
    // it is remembered and reported by the first write.
    virtual void open() {}
    // Called on the engine's thread. Returns a status code to report, or 0; each kind
    // of failure is reported once per start.
    virtual int write(std::span<const float> samples) = 0;
    // Samples written but not yet played (in 8000 Hz samples).
    virtual std::size_t backlog() const { return 0; }
    // Safe to call more than once.
    virtual void close() {}
};

// Drops the audio: receive-only operation, tests.
class NullSink : public AudioSink {
public:
    int write(std::span<const float>) override { return 0; }
};

// Hands the same audio to several sinks (the sound card and the loopback, say).
class TeeSink : public AudioSink {
public:
    explicit TeeSink(std::vector<std::unique_ptr<AudioSink>> sinks) : sinks_(std::move(sinks)) {}
    void open() override {
        for (auto &s : sinks_)
            s->open();
    }
    int write(std::span<const float> samples) override {
        int status = 0;
        for (auto &s : sinks_)
            if (const int st = s->write(samples); st != 0 && status == 0)
                status = st;
        return status;
    }
    std::size_t backlog() const override {
        std::size_t most = 0;
        for (const auto &s : sinks_)
            most = std::max(most, s->backlog());
        return most;
    }
    void close() override {
        for (auto &s : sinks_)
            s->close();
    }

private:
    std::vector<std::unique_ptr<AudioSink>> sinks_;
};

} // namespace pskmodem
