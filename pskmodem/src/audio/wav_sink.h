// Transmitted audio to a WAV file (libsndfile, 8000 Hz mono, 16-bit PCM). Only the
// transmissions are written, one after the other, so the file holds what went on air.
// The file is created (or emptied) when the engine starts and closed when it stops; its
// header is brought up to date after every write, so the file is readable at any moment.
#pragma once

#include "audio_sink.h"

#include <string>

struct sf_private_tag;

namespace pskmodem {

class WavSink : public AudioSink {
public:
    explicit WavSink(std::string path);
    ~WavSink() override;

    void open() override;
    // 43 once when the file could not be created, 42 once when writing failed (the
    // file is then left alone).
    int write(std::span<const float> samples) override;
    void close() override;

private:
    std::string path_;
    sf_private_tag *file_ = nullptr;
    bool failed_ = false;
    bool reported_ = false;
};

} // namespace pskmodem
