// Audio from a WAV file (libsndfile): any rate and channel count, converted to
// 8000 Hz mono, optionally looped.
#pragma once

#include "audio_source.h"
#include "frame_converter.h"

#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace pskmodem {

class WavSource : public AudioSource {
public:
    WavSource(std::string path, bool loop);
    ~WavSource() override;

    // 0, or 34 cannot open, 35 not a RIFF WAVE file, 36 invalid, 37 no data,
    // 38 unsupported data type, 10 out of memory.
    int open() override;
    // Always fills `out`. At the end of a file that does not loop: status 4 once, then
    // silence. A read error gives status 39 and silence after it.
    SourceRead read(std::span<float> out) override;
    bool realtime() const override { return false; }
    void close() override;

    int file_rate() const { return rate_; }
    int file_channels() const { return channels_; }

private:
    bool refill(int &status);

    std::string path_;
    bool loop_;
    sf_private_tag *file_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    std::unique_ptr<FrameConverter> converter_;
    std::vector<float> frames_;
    bool draining_ = false; // end of file reached, converter being emptied
    bool finished_ = false; // nothing but silence from here on
    bool readSinceRewind_ = false;
};

} // namespace pskmodem
