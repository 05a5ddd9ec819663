// Loopback: the transmitted audio is mixed into the input, so the receivers decode
// what the transmitter sends. The sink and the source share one buffer; both are used
// on the engine's thread only (the source reads, the transmitter writes, the source
// reads again), so the buffer needs no lock. The transmitted audio reaches the input
// one chunk later.
#pragma once

#include "audio_sink.h"
#include "audio_source.h"

#include <memory>
#include <vector>

namespace pskmodem {

class LoopbackBuffer {
public:
    // Keeps at most one second: a transmitter running ahead of the input is dropped,
    // never accumulated.
    static constexpr std::size_t kCapacity = 8000;

    void push(std::span<const float> samples);
    // Adds what is buffered to `out`, oldest first, and forgets it.
    void mix_into(std::span<float> out);
    std::size_t size() const { return buffer_.size(); }
    void clear() { buffer_.clear(); }

private:
    std::vector<float> buffer_;
};

class LoopbackSink : public AudioSink {
public:
    explicit LoopbackSink(std::shared_ptr<LoopbackBuffer> buffer) : buffer_(std::move(buffer)) {}
    void open() override { buffer_->clear(); }
    int write(std::span<const float> samples) override;

private:
    std::shared_ptr<LoopbackBuffer> buffer_;
};

// Another source (the simulated band, or just its noise) with the transmitted audio
// added.
class LoopbackSource : public AudioSource {
public:
    LoopbackSource(std::unique_ptr<AudioSource> inner, std::shared_ptr<LoopbackBuffer> buffer)
        : inner_(std::move(inner)), buffer_(std::move(buffer)) {}

    int open() override;
    SourceRead read(std::span<float> out) override;
    bool realtime() const override { return inner_->realtime(); }
    void close() override { inner_->close(); }

private:
    std::unique_ptr<AudioSource> inner_;
    std::shared_ptr<LoopbackBuffer> buffer_;
};

} // namespace pskmodem
