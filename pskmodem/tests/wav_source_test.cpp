#include "audio/wav_source.h"
#include "dsp/spectrum.h"
#include "pskmodem.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <sndfile.h>
#include <sys/stat.h>

using namespace testing_support;
using pskmodem::WavSource;

namespace {

void put16(std::string &s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>(v >> 8));
}
void put32(std::string &s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A canonical RIFF WAVE header with a given format tag, then `dataBytes` of zeros.
std::string wav_with(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                     uint32_t dataBytes) {
    std::string s = "RIFF";
    put32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, formatTag);
    put16(s, channels);
    put32(s, rate);
    put32(s, rate * channels * bits / 8);
    put16(s, static_cast<uint16_t>(channels * bits / 8));
    put16(s, bits);
    s += "data";
    put32(s, dataBytes);
    s.append(dataBytes, '\0');
    return s;
}

struct ErrorCase {
    const char *name;
    std::function<void(const std::string &path)> make; // null: the file does not exist
    int expected;
};

class WavErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(WavErrors, OpenReportsTheProblem) {
    TempDir dir;
    const std::string path = dir.file("input.wav");
    if (GetParam().make)
        GetParam().make(path);
    WavSource source(path, true);
    EXPECT_EQ(source.open(), GetParam().expected);
    // A source that failed to open still reads (silence) without touching a file.
    std::vector<float> out(64, 1.0f);
    EXPECT_EQ(source.read(out).count, out.size());
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.0f; }));
}

const ErrorCase kErrorCases[] = {
    {"Missing", nullptr, PSK_ERR_WAV_OPEN},
    {"Directory", [](const std::string &p) { std::filesystem::create_directory(p); }, PSK_ERR_WAV_OPEN},
    {"Fifo", [](const std::string &p) { mkfifo(p.c_str(), 0600); }, PSK_ERR_WAV_OPEN},
    {"TextRenamed", [](const std::string &p) { write_bytes(p, "this is a note, not a recording\n"); },
     PSK_ERR_WAV_NOT_RIFF},
    {"Empty", [](const std::string &p) { write_bytes(p, ""); }, PSK_ERR_WAV_NOT_RIFF},
    {"AiffFile",
     [](const std::string &p) { write_tone(p, Tone{.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16}); },
     PSK_ERR_WAV_NOT_RIFF},
    {"TruncatedHeader",
     [](const std::string &p) { write_bytes(p, wav_with(1, 1, 8000, 16, 0).substr(0, 20)); },
     PSK_ERR_WAV_INVALID},
    {"RiffWithGarbage",
     [](const std::string &p) { write_bytes(p, std::string("RIFF\x10\0\0\0WAVEgarbage!", 20)); },
     PSK_ERR_WAV_INVALID},
    {"NoChannels", [](const std::string &p) { write_bytes(p, wav_with(1, 0, 8000, 16, 64)); },
     PSK_ERR_WAV_INVALID},
    {"RateZero", [](const std::string &p) { write_bytes(p, wav_with(1, 1, 0, 16, 64)); },
     PSK_ERR_WAV_INVALID},
    {"Mp3InWave", [](const std::string &p) { write_bytes(p, wav_with(0x55, 1, 8000, 16, 64)); },
     PSK_ERR_WAV_DATA_TYPE},
    {"HalfFloat", [](const std::string &p) { write_bytes(p, wav_with(3, 1, 8000, 16, 64)); },
     PSK_ERR_WAV_DATA_TYPE},
    {"ZeroFrames", [](const std::string &p) { write_bytes(p, wav_with(1, 1, 8000, 16, 0)); },
     PSK_ERR_WAV_NO_DATA},
    {"UnknownFormatTag", [](const std::string &p) { write_bytes(p, wav_with(0x1234, 1, 8000, 16, 64)); },
     PSK_ERR_WAV_DATA_TYPE},
    {"TooManyChannels", [](const std::string &p) { write_bytes(p, wav_with(1, 100, 8000, 16, 200)); },
     PSK_ERR_WAV_DATA_TYPE},
    {"RateTooLowToConvert", [](const std::string &p) { write_bytes(p, wav_with(1, 1, 8, 16, 64)); },
     PSK_ERR_WAV_DATA_TYPE},
};

INSTANTIATE_TEST_SUITE_P(Table, WavErrors, testing::ValuesIn(kErrorCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Files of any rate, channel count and sample type come out as 8000 Hz mono.
struct FormatCase {
    const char *name;
    Tone tone;
};

class WavFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(WavFormats, ToneComesOutAt8000HzMono) {
    TempDir dir;
    const std::string path = dir.file("tone.wav");
    write_tone(path, GetParam().tone);
    WavSource source(path, true);
    ASSERT_EQ(source.open(), PSK_OK);
    EXPECT_EQ(source.file_rate(), GetParam().tone.rate);
    EXPECT_EQ(source.file_channels(), GetParam().tone.channels);

    std::vector<float> out(4096);
    const pskmodem::SourceRead r = source.read(out);
    EXPECT_EQ(r.count, out.size());
    EXPECT_EQ(r.status, 0);
    pskmodem::Spectrum spectrum(2048);
    std::vector<float> power(spectrum.bins());
    spectrum.process(std::span<const float>(out).subspan(2048), power);
    EXPECT_EQ(std::max_element(power.begin(), power.end()) - power.begin(), 256);
    EXPECT_NEAR(10.0 * std::log10(power[256]), -12.0, 0.5);
}

const FormatCase kFormatCases[] = {
    {"Mono8000Pcm16", Tone{}},
    {"Stereo44100Pcm16", Tone{.rate = 44100, .channels = 2}},
    {"Mono48000Float", Tone{.rate = 48000, .format = SF_FORMAT_WAV | SF_FORMAT_FLOAT}},
    {"Mono22050Pcm24", Tone{.rate = 22050, .format = SF_FORMAT_WAV | SF_FORMAT_PCM_24}},
    {"Mono8000Ulaw", Tone{.format = SF_FORMAT_WAV | SF_FORMAT_ULAW}},
    {"Stereo11025WaveEx", Tone{.rate = 11025, .channels = 2, .format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16}},
};

INSTANTIATE_TEST_SUITE_P(Table, WavFormats, testing::ValuesIn(kFormatCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Reads `seconds` of output in engine-sized chunks; per chunk its peak and status.
struct Chunk {
    float peak;
    int status;
};
std::vector<Chunk> read_chunks(WavSource &source, double seconds) {
    std::vector<Chunk> chunks;
    std::vector<float> out(256);
    for (int i = 0; i < static_cast<int>(seconds * 8000 / 256); ++i) {
        const pskmodem::SourceRead r = source.read(out);
        EXPECT_EQ(r.count, out.size());
        EXPECT_FALSE(r.ended);
        float peak = 0.0f;
        for (float s : out)
            peak = std::max(peak, std::fabs(s));
        chunks.push_back({peak, r.status});
    }
    return chunks;
}

TEST(WavSource, LoopsWithoutAGap) {
    TempDir dir;
    write_tone(dir.file("a.wav"), Tone{.rate = 44100, .seconds = 0.3});
    WavSource source(dir.file("a.wav"), true);
    ASSERT_EQ(source.open(), PSK_OK);
    const auto chunks = read_chunks(source, 2.0);
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_GT(chunks[i].peak, 0.2f) << "chunk " << i;
        EXPECT_EQ(chunks[i].status, 0) << "chunk " << i;
    }
}

TEST(WavSource, WithoutLoopReportsTheEndOnceThenSilence) {
    TempDir dir;
    write_tone(dir.file("a.wav"), Tone{.seconds = 0.5});
    WavSource source(dir.file("a.wav"), false);
    ASSERT_EQ(source.open(), PSK_OK);
    const auto chunks = read_chunks(source, 1.5);
    const auto end = std::find_if(chunks.begin(), chunks.end(), [](const Chunk &c) { return c.status != 0; });
    ASSERT_NE(end, chunks.end());
    EXPECT_EQ(end->status, PSK_STATUS_INPUT_FILE_END);
    const auto endIndex = end - chunks.begin();
    EXPECT_NEAR(static_cast<double>(endIndex), 0.5 * 8000 / 256, 1.0);
    for (auto it = chunks.begin(); it != end; ++it)
        EXPECT_GT(it->peak, 0.2f);
    for (auto it = end + 1; it != chunks.end(); ++it) {
        EXPECT_EQ(it->status, 0);
        EXPECT_EQ(it->peak, 0.0f);
    }
}

TEST(WavSource, FileShorterThanItsHeaderSaysStillEnds) {
    // The data chunk claims far more than the file holds, as in a recording that was
    // cut off: the source must reach the end instead of waiting for data.
    TempDir dir;
    std::string bytes = wav_with(1, 1, 8000, 16, 8000);
    put32(bytes, 0);                                          // harmless trailing bytes
    bytes.replace(40, 4, std::string("\x00\x00\x10\x00", 4)); // data size 1 MiB
    write_bytes(dir.file("cut.wav"), bytes);
    WavSource source(dir.file("cut.wav"), false);
    ASSERT_EQ(source.open(), PSK_OK);
    const auto chunks = read_chunks(source, 2.0);
    EXPECT_TRUE(std::any_of(chunks.begin(), chunks.end(),
                            [](const Chunk &c) { return c.status == PSK_STATUS_INPUT_FILE_END; }));
}

} // namespace
