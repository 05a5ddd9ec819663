// Where the engine's audio comes from: a sound card or a WAV file. Every source
// delivers 8000 Hz mono samples on a full-scale range of +-1.0.
#pragma once

#include <cstddef>
#include <span>

namespace pskmodem {

inline constexpr double kModemRate = 8000.0;

struct SourceRead {
    std::size_t count = 0; // samples written
    int status = 0;        // a status code to report, or 0
    bool ended = false;    // the source stopped for good (device lost); close it
};

class AudioSource {
public:
    virtual ~AudioSource() = default;

    // Opens the input and starts it; 0 or a status code.
    virtual int open() = 0;
    // Called on the engine's thread only. A real-time source returns what has arrived
    // (possibly nothing) without waiting; a file source always fills `out` and leaves
    // the pacing to the engine.
    virtual SourceRead read(std::span<float> out) = 0;
    virtual bool realtime() const = 0;
    // Stops and releases the input. Safe to call more than once.
    virtual void close() = 0;
};

} // namespace pskmodem
