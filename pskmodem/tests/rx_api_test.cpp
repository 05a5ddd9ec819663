// The receive side through the C API: a PSK31 recording decoded on a channel, AFC
// read back, and the receive operations with odd channels, frequencies and buffers.
#include "pskmodem.h"
#include "rx/test_signal.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

void write_wav(const std::string &path, const std::vector<float> &x) {
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_float(f, x.data(), static_cast<sf_count_t>(x.size()));
    sf_close(f);
}

std::string characters(const MessageLog &log, int32_t channel) {
    std::string s;
    for (const Message &m : log.messages())
        if (m.message == PSK_MSG_CHARACTER && m.lParam == channel)
            s += static_cast<char>(m.wParam);
    return s;
}

// Waits until the channel has printed `text` (or the time is up).
bool wait_text(const MessageLog &log, int32_t channel, const std::string &text, std::chrono::seconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (characters(log, channel).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

class PskRun {
public:
    PskRun(const std::string &text, double offsetHz)
        : wav_(dir_.file("psk.wav")), config_(dir_, "input = wav\nwav_speed = 10\nwav_loop = false\nwav_file = " + wav_ + "\n") {
        pskmodem::TestSignalParams p;
        p.frequency = 1200.0 + offsetHz;
        p.preamble = 1.5;
        p.snrDb = 5.0;
        write_wav(wav_, pskmodem::make_test_signal(text, p).samples);
    }
    ~PskRun() { fnStopSoundCard(); }

private:
    TempDir dir_;
    std::string wav_;
    ScopedConfig config_;
};

} // namespace

TEST(RxApi, DecodesARecordingAndReportsTheFrequencyAfterAfc) {
    const std::string text = "cq cq de test";
    PskRun run(text, 6.0);
    fnEnableRXChannel(4, 1);
    fnSetRXPSKMode(0, 4);
    fnSetAFCLimit(15, 4);
    fnSetSquelchThreshold(0, 200, 4);
    fnSetRXFrequency(1200, 10, 4);
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    ASSERT_TRUE(wait_text(log, 4, text)) << characters(log, 4);
    EXPECT_NEAR(fnGetRXFrequency(4), 1206, 1);
    EXPECT_GT(fnGetSignalLevel(4), 50);
    int32_t sync[16], vec[16];
    fnGetSyncData(sync, 4);
    fnGetVectorData(vec, 4);
    EXPECT_EQ(*std::max_element(sync, sync + 16), 1000);
    EXPECT_TRUE(std::all_of(vec, vec + 16, [](int32_t v) { return v >= -1000 && v <= 1000; }));
    // Rewinding decodes it again, on the same channel only.
    fnRewindInput(99);
    const auto twice = text + text;
    EXPECT_TRUE(wait_text(log, 4, twice)) << characters(log, 4);
    fnStopSoundCard();
    // Stopped, the channel reads as tuned and quiet.
    EXPECT_EQ(fnGetRXFrequency(4), 1200);
    EXPECT_EQ(fnGetSignalLevel(4), 0);
    fnEnableRXChannel(4, 0);
}

// A float recording with one sample at 1 s that is not a number, or is absurdly large:
// the spectrum, the raw data and the receivers carry on as if it were silence.
class BadSample : public testing::TestWithParam<float> {};

TEST_P(BadSample, SpectrumRawDataAndReceiversCarryOn) {
    TempDir dir;
    const std::string wav = dir.file("bad.wav");
    const std::string text = "still copying after the bad sample";
    pskmodem::TestSignalParams p;
    p.frequency = 1000.0;
    p.preamble = 1.5;
    p.amplitude = 0.1; // below the tone
    p.snrDb = 10.0;
    std::vector<float> x = pskmodem::make_test_signal(text, p).samples;
    x.resize(8000 * 30, 0.0f);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] += 0.25f * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 1500.0 * static_cast<double>(i) / 8000.0));
    x[8000] = GetParam();
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *f = sf_open(wav.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_float(f, x.data(), static_cast<sf_count_t>(x.size()));
    sf_close(f);

    ScopedConfig config(dir, "input = wav\nwav_speed = 10\nwav_loop = false\nwav_file = " + wav + "\n");
    fnStopSoundCard();
    fnSetClockErrorAdjustment(0);
    fnEnableRXChannel(0, 1);
    fnSetAFCLimit(0, 0);
    fnSetRXPSKMode(0, 0);
    fnSetSquelchThreshold(0, 200, 0);
    fnSetRXFrequency(1000, 10, 0);
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    EXPECT_TRUE(wait_text(log, 0, text)) << characters(log, 0);
    // By now the bad sample has gone through every block of the spectrum's averages.
    std::vector<int32_t> fft(1024), raw(2048);
    fnGetFFTData(fft.data(), 0, 1023);
    EXPECT_EQ(argmax(fft.data(), 1024), 384) << "the tone at 1500 Hz";
    EXPECT_GT(fft[384], *std::min_element(fft.begin(), fft.end()));
    ASSERT_EQ(fnGetRawData(raw.data(), 0, 2047), 2048);
    EXPECT_TRUE(std::all_of(raw.begin(), raw.end(), [](int32_t v) { return v >= -32767 && v <= 32767; }));
    EXPECT_GT(*std::max_element(raw.begin(), raw.end()), 4000);
    fnStopSoundCard();
    fnEnableRXChannel(0, 0);
}

INSTANTIATE_TEST_SUITE_P(Values, BadSample,
                         testing::Values(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(), 1e20f));

// What the receive getters give for odd channels and buffers, stopped and started.
struct RxOdd {
    const char *name;
    std::function<void()> check;
};

const RxOdd kRxOdd[] = {
    {"LevelOutsideChannels",
     [] {
         for (int32_t c : {-1, 25, INT32_MIN, INT32_MAX})
             EXPECT_EQ(fnGetSignalLevel(c), 0) << c;
     }},
    {"BuffersOutsideChannels",
     [] {
         for (int32_t c : {-1, 25}) {
             int32_t b[16];
             std::fill(b, b + 16, -5);
             fnGetSyncData(b, c);
             EXPECT_TRUE(std::all_of(b, b + 16, [](int32_t v) { return v == 0; })) << c;
             std::fill(b, b + 16, -5);
             fnGetVectorData(b, c);
             EXPECT_TRUE(std::all_of(b, b + 16, [](int32_t v) { return v == 0; })) << c;
         }
         fnGetSyncData(nullptr, 2);
         fnGetVectorData(nullptr, 2);
     }},
    {"FrequencyClamped",
     [] {
         fnSetRXFrequency(0, 10, 7);
         EXPECT_GE(fnGetRXFrequency(7), 0);
         fnSetRXFrequency(10000, 0, 7);
         std::this_thread::sleep_for(100ms);
         EXPECT_LE(fnGetRXFrequency(7), 4000);
         EXPECT_EQ(fnGetRXFrequency(-1), 0);
         EXPECT_EQ(fnGetRXFrequency(25), 0);
         fnSetRXFrequency(1000, 10, 7);
     }},
    {"ChannelSwitchedAtWill",
     [] {
         for (int i = 0; i < 20; ++i) {
             fnEnableRXChannel(i % 25, 1);
             fnSetRXPSKMode(i % 2 ? 9 : 2, i % 25);
             fnRewindInput(i * 10);
             fnSetClockErrorAdjustment(i % 2 ? 500 : 0);
         }
         for (int i = 0; i < 25; ++i)
             fnEnableRXChannel(i, 0);
         fnSetClockErrorAdjustment(0);
     }},
};

class RxOddCalls : public testing::TestWithParam<std::tuple<RxOdd, bool>> {};

TEST_P(RxOddCalls, GiveZerosOrClampedValues) {
    const auto &[c, started] = GetParam();
    PskRun run("x", 0.0);
    MessageLog log;
    if (started) {
        const PskNotifyTarget t = log.target();
        ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
        ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 1));
    }
    c.check();
    if (started) {
        const std::size_t seen = log.count(PSK_MSG_DATA_READY);
        EXPECT_TRUE(log.wait_for(PSK_MSG_DATA_READY, seen + 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RxOddCalls, testing::Combine(testing::ValuesIn(kRxOdd), testing::Bool()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Started" : "Stopped");
                         });
