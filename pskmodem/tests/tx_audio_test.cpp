// The audio around the transmitter: the configuration keys that choose input and
// output, the WAV sink, the simulated band (its stations, its noise, its contacts) and
// the encoder's noise convention.
#include "audio/portaudio_sink.h"
#include "audio/portaudio_source.h"
#include "audio/simulated_band.h"
#include "audio/wav_sink.h"
#include "config.h"
#include "dsp/spectrum.h"
#include "pskmodem.h"
#include "test_support.h"
#include "tx/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sndfile.h>
#include <unistd.h>

using namespace pskmodem;
using testing_support::TempDir;

namespace {

// ---- Configuration ----

struct AudioConfigCase {
    const char *name;
    const char *text;
    InputKind input;
    OutputKind output; // effective
    double txLevelDb;
    int stations;
    double noiseDb;
    uint32_t seed;
    std::size_t problems;
};

void PrintTo(const AudioConfigCase &c, std::ostream *os) {
    *os << c.name;
}

class AudioConfig : public testing::TestWithParam<AudioConfigCase> {};

TEST_P(AudioConfig, Values) {
    const AudioConfigCase &c = GetParam();
    const Config cfg = parse_config(c.text, "/base");
    EXPECT_EQ(cfg.input, c.input);
    EXPECT_EQ(cfg.effective_output(), c.output);
    EXPECT_EQ(cfg.txLevelDb, c.txLevelDb);
    EXPECT_EQ(cfg.simStations, c.stations);
    EXPECT_EQ(cfg.simNoiseDb, c.noiseDb);
    EXPECT_EQ(cfg.simSeed, c.seed);
    EXPECT_EQ(cfg.problems.size(), c.problems);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AudioConfig,
    testing::Values(
        AudioConfigCase{"Defaults", "", InputKind::SoundCard, OutputKind::SoundCard, -6, 5, -40, 0, 0},
        AudioConfigCase{"FileInputIsNotOnAir", "input = wav", InputKind::Wav, OutputKind::None, -6, 5, -40, 0,
                        0},
        AudioConfigCase{"SimulatedBand",
                        "input = Simulated\nsim_stations = 8\nsim_noise = -55.5\nsim_seed = 42",
                        InputKind::Simulated, OutputKind::None, -6, 8, -55.5, 42, 0},
        AudioConfigCase{"LoopbackToWav", "input = loopback\noutput = wav\ntx_level = -12",
                        InputKind::Loopback, OutputKind::Wav, -12, 5, -40, 0, 0},
        AudioConfigCase{"SoundCardOutputFromFile", "input = wav\noutput = soundcard", InputKind::Wav,
                        OutputKind::SoundCard, -6, 5, -40, 0, 0},
        AudioConfigCase{"ReceiveOnly", "output = none", InputKind::SoundCard, OutputKind::None, -6, 5, -40, 0,
                        0},
        AudioConfigCase{
            "BadValuesKeepDefaults",
            "input = radio\noutput = speaker\ntx_level = 3\nsim_stations = 9\nsim_stations = 2.5\n"
            "sim_noise = loud\nsim_seed = -1",
            InputKind::SoundCard, OutputKind::SoundCard, -6, 5, -40, 0, 7}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AudioConfigPath, WavOutIsTakenFromTheConfigFolder) {
    EXPECT_EQ(parse_config("wav_out = sent.wav", "/base").wavOut, "/base/sent.wav");
    EXPECT_EQ(parse_config("wav_out = /tmp/x.wav", "/base").wavOut, "/tmp/x.wav");
}

// ---- WAV sink ----

TEST(WavSink, WritesWhatItIsGivenAndReportsAFileItCannotCreateOnce) {
    TempDir dir;
    const std::string path = dir.file("out.wav");
    std::vector<float> x(1000);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = 0.5f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    {
        WavSink sink(path);
        sink.open();
        EXPECT_EQ(sink.write(std::span(x).first(400)), PSK_OK);
        EXPECT_EQ(sink.write(std::span(x).subspan(400)), PSK_OK);
        sink.close();
    }
    SF_INFO info{};
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 8000);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.frames, 1000);
    std::vector<float> back(1000);
    sf_read_float(f, back.data(), 1000);
    sf_close(f);
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(back[i], x[i], 1.0 / 32768.0) << i;

    WavSink bad(dir.file("missing/out.wav"));
    bad.open();
    EXPECT_EQ(bad.write(x), 43);
    EXPECT_EQ(bad.write(x), PSK_OK) << "reported once";
}

// While the sink is still open (the program may crash or lose power at any moment), the
// file on disk already says how much audio it holds.
TEST(WavSink, HeaderIsCurrentWhileWriting) {
    TempDir dir;
    const std::string path = dir.file("out.wav");
    const std::vector<float> x(800, 0.25f);
    WavSink sink(path);
    sink.open();
    for (const sf_count_t written : {800, 1600}) {
        ASSERT_EQ(sink.write(x), PSK_OK);
        SF_INFO info{};
        SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(info.frames, written);
        sf_close(f);
        // The RIFF and data chunk sizes themselves, as a strict reader takes them.
        std::FILE *raw = std::fopen(path.c_str(), "rb");
        ASSERT_NE(raw, nullptr);
        unsigned char head[44] = {};
        ASSERT_EQ(std::fread(head, 1, sizeof head, raw), sizeof head);
        std::fclose(raw);
        const auto le32 = [&head](int at) {
            return static_cast<uint32_t>(head[at]) | static_cast<uint32_t>(head[at + 1]) << 8 |
                   static_cast<uint32_t>(head[at + 2]) << 16 | static_cast<uint32_t>(head[at + 3]) << 24;
        };
        EXPECT_EQ(le32(40), static_cast<uint32_t>(written * 2));
        EXPECT_EQ(le32(4), static_cast<uint32_t>(36 + written * 2));
    }
    sink.close();
}

// An empty queue while writes keep coming is an underflow; after a pause it is the start of
// the next transmission.
TEST(UnderflowWatch, TellsAGapFromANewTransmission) {
    struct Step {
        double time;
        bool dry;
        bool underflow;
    };
    const std::vector<Step> steps = {
        {10.00, true, false},                        // first write of the first transmission
        {10.03, false, false},                       // ahead of the device
        {10.06, true, true},                         // ran dry in the middle
        {10.09, false, false}, {12.00, true, false}, // the next transmission, after a pause
        {12.19, true, true},                         // just inside the pause
    };
    pskmodem::UnderflowWatch watch;
    for (const Step &step : steps)
        EXPECT_EQ(watch.underflowed(step.time, step.dry), step.underflow) << "at " << step.time;
    watch.reset();
    EXPECT_FALSE(watch.underflowed(12.2, true)) << "a new start forgets the last write";
}

// Opening the sound card on a computer without one must not fill standard error with the
// audio system's probing messages; failures are reported by status codes.
TEST(PortAudio, ProbingWritesNothingToStandardError) {
    TempDir dir;
    const std::string path = dir.file("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(2);
    ASSERT_GE(saved, 0);
    std::FILE *capture = std::fopen(path.c_str(), "w");
    ASSERT_NE(capture, nullptr);
    dup2(fileno(capture), 2);
    {
        PortAudioSource source(-1);
        source.open();
        source.close();
        PortAudioSink sink(2);
        sink.open();
        sink.close();
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(capture);
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("ALSA lib"), std::string::npos) << text;
}

// ---- Simulated band ----

std::vector<float> band_audio(const BandSettings &settings, double seconds) {
    SimulatedBand band(settings);
    band.open();
    std::vector<float> x(static_cast<std::size_t>(seconds * 8000));
    for (std::size_t i = 0; i < x.size(); i += 256)
        band.read(std::span(x).subspan(i, std::min<std::size_t>(256, x.size() - i)));
    return x;
}

TEST(SimulatedBand, SameSeedSameBand) {
    BandSettings s;
    s.seed = 11;
    const auto a = band_audio(s, 8);
    EXPECT_EQ(a, band_audio(s, 8));
    s.seed = 12;
    EXPECT_NE(a, band_audio(s, 8));
}

TEST(SimulatedBand, NoiseHasTheConfiguredLevelInTheSsbPassband) {
    for (const double db : {-60.0, -40.0, -20.0}) {
        BandSettings s;
        s.stations = 0;
        s.noiseDb = db;
        const auto x = band_audio(s, 20);
        Spectrum spectrum(2048);
        std::vector<float> power(spectrum.bins());
        double inBand = 0.0;
        int blocks = 0;
        for (std::size_t i = 0; i + 2048 <= x.size(); i += 2048, ++blocks) {
            spectrum.process(std::span(x).subspan(i, 2048), power);
            for (std::size_t b = 700 * 2048 / 8000; b < 1700 * 2048 / 8000; ++b)
                inBand += power[b];
        }
        // Bin powers are relative to a full-scale sine (0.5); a Hann window spreads white
        // noise over 1.5 bins' worth of bandwidth.
        // The middle of the passband, where the filter is flat within a tenth of a dB.
        const double measured1000 = inBand / blocks * 0.5 / 1.5;
        const double expected1000 = 0.5 * std::pow(10.0, db / 10.0) * 1000.0 / 2500.0;
        EXPECT_NEAR(10.0 * std::log10(measured1000 / expected1000), 0.0, 0.3) << db << " dB";
    }
}

TEST(SimulatedBand, StationsAreHeardOnTheirFrequencies) {
    BandSettings s;
    s.stations = 6;
    s.noiseDb = -40.0;
    s.seed = 3;
    SimulatedBand band(s);
    band.open();
    const auto stations = band.stations();
    ASSERT_EQ(stations.size(), 6u);
    std::set<int32_t> modes;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        EXPECT_GE(stations[i].frequency, 500.0);
        EXPECT_LE(stations[i].frequency, 2600.0);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_GE(std::fabs(stations[i].frequency - stations[j].frequency), 180.0);
        modes.insert(stations[i].mode);
    }
    EXPECT_GE(modes.size(), 3u) << "several modes on the band";

    // Over two minutes each frequency carries signals well above the noise.
    const auto x = band_audio(s, 120);
    Spectrum spectrum(2048);
    std::vector<float> power(spectrum.bins());
    std::vector<double> loudest(stations.size(), 0.0);
    std::vector<double> median;
    for (std::size_t i = 0; i + 2048 <= x.size(); i += 2048) {
        spectrum.process(std::span(x).subspan(i, 2048), power);
        std::vector<float> sorted(power.begin() + 128, power.begin() + 700);
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        median.push_back(sorted[sorted.size() / 2]);
        for (std::size_t k = 0; k < stations.size(); ++k) {
            const auto bin = static_cast<std::size_t>(std::lround(stations[k].frequency * 2048 / 8000));
            double p = 0.0;
            for (std::size_t b = bin - 8; b <= bin + 8; ++b)
                p += power[b];
            loudest[k] = std::max(loudest[k], p / 17.0);
        }
    }
    std::nth_element(median.begin(), median.begin() + median.size() / 2, median.end());
    const double noise = median[median.size() / 2];
    for (std::size_t k = 0; k < stations.size(); ++k)
        EXPECT_GT(10.0 * std::log10(loudest[k] / noise), 15.0)
            << "station at " << stations[k].frequency << " Hz";
}

TEST(SimulatedBand, ContactsSoundLikeContactsBetweenFictionalStations) {
    BandSettings s;
    s.stations = 3;
    s.seed = 5;
    SimulatedBand band(s);
    band.open();
    std::vector<float> x(256);
    for (int i = 0; i < 10 * 60 * 8000 / 256; ++i)
        band.read(x);
    // Every call sign has a Q prefix, which no country's amateur service uses.
    const std::regex call(R"(\b(Q[A-Z]?[0-9][A-Z]{1,3}(/[PM])?) de (Q[A-Z]?[0-9][A-Z]{1,3}(/[PM])?)\b)");
    const std::regex anyDe(R"((\S+) de (\S+))");
    for (const std::string &text : band.sent_text()) {
        EXPECT_NE(text.find("CQ CQ CQ de Q"), std::string::npos);
        EXPECT_NE(text.find("RST"), std::string::npos);
        EXPECT_NE(text.find("73"), std::string::npos);
        EXPECT_NE(text.find("Name here is "), std::string::npos);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), anyDe); it != std::sregex_iterator();
             ++it) {
            const std::string pair = it->str();
            if (pair.rfind("CQ", 0) == 0)
                continue;
            EXPECT_TRUE(std::regex_match(pair, call)) << pair;
        }
    }
}

// ---- Noise at a signal-to-noise ratio ----

TEST(EncoderNoise, SignalToNoiseRatioIsMeasuredIn2500Hz) {
    RenderOptions opt;
    const std::vector<float> clean = render_transmission("the quick brown fox", opt);
    const double signal = mean_power(clean);
    for (const double snr : {-10.0, 0.0, 10.0}) {
        std::vector<float> noisy = clean;
        add_noise(noisy, signal, snr, 9);
        double noise = 0.0;
        for (std::size_t i = 0; i < clean.size(); ++i)
            noise += std::pow(static_cast<double>(noisy[i]) - clean[i], 2.0);
        noise /= static_cast<double>(clean.size());
        // White noise over 0..4000 Hz: 2500/4000 of it falls in 2500 Hz.
        EXPECT_NEAR(10.0 * std::log10(signal / (noise * 2500.0 / 4000.0)), snr, 0.1);
    }
}

} // namespace
