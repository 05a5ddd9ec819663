// The C API as the program uses it: every operation with odd arguments, stopped and
// started, and real runs on WAV input.
#include "pskmodem.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <portaudio.h>
#include <thread>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr int32_t kSentinel = -7777;

// Starts the library on a WAV file for the lifetime of the object.
class WavRun {
public:
    explicit WavRun(const std::string &wav, const std::string &extra = "wav_loop = true\n")
        : config_(dir_, "input = wav\nwav_speed = 20\nwav_file = " + wav + "\n" + extra) {}
    ~WavRun() { fnStopSoundCard(); }
    int32_t start(MessageLog &log) {
        const PskNotifyTarget t = log.target();
        return fnStartSoundCard(&t, -1, 25, 0);
    }
    const TempDir &dir() const { return dir_; }

private:
    TempDir dir_;
    ScopedConfig config_;
};

// ---- Every operation accepts odd arguments, stopped or started ----

struct OddCall {
    const char *name;
    std::function<void()> call;
};

const OddCall kOddCalls[] = {
    {"SetComPort", [] { fnSetComPort(-1, 7), fnSetComPort(99, 3), fnSetComPort(0, 0); }},
    {"ClockError", [] { fnSetClockErrorAdjustment(INT32_MIN), fnSetClockErrorAdjustment(INT32_MAX); }},
    {"FFTMode", [] { fnSetFFTMode(0, 0, 0), fnSetFFTMode(-3, -100, 9), fnSetFFTMode(11, INT32_MAX, 1); }},
    {"FFTData", [] { fnGetFFTData(nullptr, 0, 1023), fnGetFFTData(nullptr, INT32_MIN, INT32_MAX); }},
    {"RawData", [] { fnGetRawData(nullptr, 0, 2047), fnGetRawData(nullptr, -1, 5000); }},
    {"SignalLevel", [] { fnGetSignalLevel(-1), fnGetSignalLevel(25), fnGetSignalLevel(INT32_MIN); }},
    {"SyncAndVector",
     [] { fnGetSyncData(nullptr, 0), fnGetVectorData(nullptr, 0), fnGetSyncData(nullptr, 99); }},
    {"EnableChannel", [] { fnEnableRXChannel(-1, 1), fnEnableRXChannel(25, 1), fnEnableRXChannel(3, -5); }},
    {"RXFrequency", [] { fnSetRXFrequency(10000, -1, -1), fnSetRXFrequency(-5, 99999, 25); }},
    {"RXMode", [] { fnSetRXPSKMode(7, 0), fnSetRXPSKMode(-1, 0), fnSetRXPSKMode(1, 25); }},
    {"AFC", [] { fnSetAFCLimit(-100, 0), fnSetAFCLimit(INT32_MAX, 24), fnSetAFCLimit(10, -1); }},
    {"Squelch", [] { fnSetSquelchThreshold(-1, 1000, 0), fnSetSquelchThreshold(500, -3, 30); }},
    {"TXFrequency", [] { fnSetTXFrequency(0), fnSetTXFrequency(INT32_MIN), fnSetTXFrequency(10000); }},
    {"TXControl",
     [] {
         fnStartTX(42), fnStartTX(-1), fnStopTX(), fnStopTX(), fnAbortTX(), fnAbortTX(), fnClearTXBuffer();
     }},
    {"SendCharacter",
     [] {
         fnSendTXCharacter(-1, 0), fnSendTXCharacter(70000, 0), fnSendTXCharacter(1, 7), fnClearTXBuffer();
     }},
    {"CWID",
     [] {
         fnSetCWIDString(nullptr), fnSetCWIDString(""), fnSetCWIDString(std::string(100000, 'A').c_str());
         fnSetCWIDSpeed(0), fnSetCWIDSpeed(-1), fnSetCWIDSpeed(99);
     }},
    {"Rewind", [] { fnRewindInput(-1), fnRewindInput(INT32_MAX), fnRewindInput(0); }},
    {"StopTwice", [] { fnStopSoundCard(), fnStopSoundCard(); }},
};

class OddArguments : public testing::TestWithParam<std::tuple<OddCall, bool>> {};

TEST_P(OddArguments, AcceptedAndTheModemCarriesOn) {
    const auto &[call, started] = GetParam();
    WavRun run(VARNEK_TONE_WAV);
    MessageLog log;
    if (started) {
        ASSERT_EQ(run.start(log), PSK_OK);
        ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 1));
    }
    call.call();
    // Stopped, a start still works; started, data keeps coming (unless the call was a stop).
    if (!started || std::string(call.name) == "StopTwice") {
        MessageLog after;
        ASSERT_EQ(run.start(after), PSK_OK);
        EXPECT_TRUE(after.wait_for(PSK_MSG_DATA_READY, 2));
    } else {
        const std::size_t seen = log.count(PSK_MSG_DATA_READY);
        EXPECT_TRUE(log.wait_for(PSK_MSG_DATA_READY, seen + 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, OddArguments, testing::Combine(testing::ValuesIn(kOddCalls), testing::Bool()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Started" : "Stopped");
                         });

// Buffers are written exactly over the clamped range, never beyond.
struct BufferCase {
    const char *name;
    std::function<void(int32_t *)> call;
    int from, to; // the elements that must be written; -1: none
};

const BufferCase kBufferCases[] = {
    {"FFTFull", [](int32_t *b) { fnGetFFTData(b, 0, 1023); }, 0, 1023},
    {"FFTClamped", [](int32_t *b) { fnGetFFTData(b, -50, 5000); }, 0, 1023},
    {"FFTPart", [](int32_t *b) { fnGetFFTData(b, 100, 200); }, 100, 200},
    {"FFTReversed", [](int32_t *b) { fnGetFFTData(b, 300, 200); }, -1, -1},
    {"RawFull", [](int32_t *b) { fnGetRawData(b, 0, 2047); }, 0, 2047},
    {"RawClamped", [](int32_t *b) { fnGetRawData(b, INT32_MIN, INT32_MAX); }, 0, 2047},
    {"RawReversed", [](int32_t *b) { fnGetRawData(b, 10, 0); }, -1, -1},
    {"Sync", [](int32_t *b) { fnGetSyncData(b, 0); }, 0, 15},
    {"VectorBadChannel", [](int32_t *b) { fnGetVectorData(b, -1); }, 0, 15},
};

class BufferBounds : public testing::TestWithParam<std::tuple<BufferCase, bool>> {};

TEST_P(BufferBounds, WritesOnlyTheClampedRange) {
    const auto &[c, started] = GetParam();
    WavRun run(VARNEK_TONE_WAV);
    MessageLog log;
    if (started) {
        ASSERT_EQ(run.start(log), PSK_OK);
        ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 3));
    }
    std::vector<int32_t> buf(2048 + 64, kSentinel);
    c.call(buf.data());
    for (int i = 0; i < static_cast<int>(buf.size()); ++i) {
        const bool inside = i >= c.from && i <= c.to;
        if (inside) {
            EXPECT_NE(buf[static_cast<std::size_t>(i)], kSentinel) << "element " << i;
        } else {
            ASSERT_EQ(buf[static_cast<std::size_t>(i)], kSentinel) << "element " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BufferBounds,
                         testing::Combine(testing::ValuesIn(kBufferCases), testing::Bool()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Started" : "Stopped");
                         });

// ---- Values are kept per channel, across starts and stops ----

TEST(Settings, KeptPerChannelAndAcrossStartStop) {
    fnSetRXFrequency(1500, 10, 0);
    fnSetRXFrequency(2200, 10, 24);
    fnSetRXFrequency(10000, 10, 3);
    fnSetRXFrequency(0, 10, 4);
    fnSetRXFrequency(-20, 10, 5);
    fnSetRXFrequency(1234, 10, 25); // no such channel: nothing changes
    const auto check = [] {
        EXPECT_EQ(fnGetRXFrequency(0), 1500);
        EXPECT_EQ(fnGetRXFrequency(24), 2200);
        EXPECT_EQ(fnGetRXFrequency(3), 4000);
        EXPECT_EQ(fnGetRXFrequency(4), 0);
        EXPECT_EQ(fnGetRXFrequency(5), 0);
        EXPECT_EQ(fnGetRXFrequency(1), 1000);
        EXPECT_EQ(fnGetRXFrequency(25), 0);
        EXPECT_EQ(fnGetRXFrequency(-1), 0);
        EXPECT_EQ(fnGetSignalLevel(0), 0);
        EXPECT_EQ(fnGetDLLVersion(), 100);
    };
    check();
    WavRun run(VARNEK_TONE_WAV);
    MessageLog log;
    ASSERT_EQ(run.start(log), PSK_OK);
    check();
    fnSetRXFrequency(700, 10, 6);
    fnStopSoundCard();
    EXPECT_EQ(fnGetRXFrequency(6), 700);
    check();
}

TEST(Settings, TransmitQueueCountsCharacters) {
    fnClearTXBuffer();
    for (const char c : std::string("CQ CQ"))
        fnSendTXCharacter(c, 0);
    fnSendTXCharacter(255, 0);
    fnSendTXCharacter(1, 1); // return to receive: queued, but not a character
    fnSendTXCharacter(2, 1); // CW identification: likewise
    fnSendTXCharacter(256, 0);
    fnSendTXCharacter(-1, 0);
    fnSendTXCharacter(3, 1);
    EXPECT_EQ(fnGetTXCharsRemaining(), 6);
    fnStopTX();
    EXPECT_EQ(fnGetTXCharsRemaining(), 6) << "a stop sends what is queued first";
    fnClearTXBuffer();
    EXPECT_EQ(fnGetTXCharsRemaining(), 0);
    fnSendTXCharacter('A', 0);
    fnAbortTX();
    EXPECT_EQ(fnGetTXCharsRemaining(), 0);
}

// ---- Runs on WAV input ----

struct ToneRunCase {
    const char *name;
    Tone tone; // ignored for the committed fixture
    bool useFixture;
    int noiseDb; // the noise level the library should report
};

class ToneRun : public testing::TestWithParam<ToneRunCase> {};

TEST_P(ToneRun, SpectrumRawDataAndNoiseLevel) {
    const ToneRunCase &c = GetParam();
    TempDir files;
    std::string wav = VARNEK_TONE_WAV;
    if (!c.useFixture) {
        wav = files.file("tone.wav");
        write_tone(wav, c.tone);
    }
    WavRun run(wav);
    MessageLog log;
    ASSERT_EQ(run.start(log), PSK_OK);
    fnSetFFTMode(1, 100, 1);
    ASSERT_TRUE(log.wait_for(PSK_MSG_LEVEL, 2));

    std::vector<int32_t> fft(1024);
    fnGetFFTData(fft.data(), 0, 1023);
    EXPECT_EQ(argmax(fft.data(), 1024), 256);
    EXPECT_NEAR(fft[256], 85, 3) << "-12 dB on the -80..0 dB scale";
    std::vector<int32_t> band(fft.begin() + 26, fft.begin() + 998);
    std::nth_element(band.begin(), band.begin() + band.size() / 2, band.end());
    EXPECT_LT(band[band.size() / 2], 25) << "the noise floor sits low";

    std::vector<int32_t> raw(2048);
    EXPECT_EQ(fnGetRawData(raw.data(), 0, 2047), 2048);
    const auto [lo, hi] = std::minmax_element(raw.begin(), raw.end());
    EXPECT_NEAR(*hi, 8192, 1000);
    EXPECT_NEAR(*lo, -8192, 1000);

    for (const Message &m : log.messages()) {
        if (m.message == PSK_MSG_LEVEL) {
            EXPECT_EQ(m.lParam, -1);
            EXPECT_NEAR(m.wParam, c.noiseDb, 3);
        }
    }
    EXPECT_EQ(log.count(PSK_MSG_STATUS), 0u);
    EXPECT_EQ(log.count(PSK_MSG_CLOCK_ERROR), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToneRun,
    testing::Values(ToneRunCase{"CommittedFixture", {}, true, -50},
                    // sigma 0.0071 is -40 dB relative to a full-scale sine, of which
                    // 4000 Hz out of 22050 Hz remain at 8000 Hz: -47 dB.
                    ToneRunCase{"Stereo44100",
                                Tone{.rate = 44100, .channels = 2, .noiseSigma = 0.00707, .seconds = 2},
                                false, -47},
                    ToneRunCase{"Mono8000Quiet", Tone{.noiseSigma = 0.000707, .seconds = 2}, false, -60}),
    [](const auto &info) { return std::string(info.param.name); });

struct OverloadCase {
    const char *name;
    double amplitude;
    bool overload;
};

class Overload : public testing::TestWithParam<OverloadCase> {};

TEST_P(Overload, FlagFollowsTheInput) {
    TempDir files;
    write_tone(files.file("t.wav"), Tone{.amplitude = GetParam().amplitude});
    WavRun run(files.file("t.wav"));
    MessageLog log;
    ASSERT_EQ(run.start(log), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 3));
    std::vector<int32_t> fft(1024);
    EXPECT_EQ(fnGetFFTData(fft.data(), 0, 1023) != 0, GetParam().overload);
}

INSTANTIATE_TEST_SUITE_P(Table, Overload,
                         testing::Values(OverloadCase{"Clipped", 1.5, true},
                                         OverloadCase{"JustBelow", 0.97, false},
                                         OverloadCase{"Quiet", 0.25, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Run, OverloadFlagClearsOnRead) {
    fnStopSoundCard();
    TempDir files;
    write_tone(files.file("t.wav"), Tone{.amplitude = 1.5});
    WavRun run(files.file("t.wav"));
    MessageLog log;
    ASSERT_EQ(run.start(log), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 2));
    fnStopSoundCard();
    EXPECT_NE(fnGetFFTData(nullptr, 0, 0), 0);
    EXPECT_EQ(fnGetFFTData(nullptr, 0, 0), 0) << "nothing clipped since the previous call";
}

TEST(Run, NoMessageAfterStopReturns) {
    WavRun run(VARNEK_TONE_WAV);
    MessageLog log;
    std::atomic<bool> stopped{false};
    std::atomic<int> late{0};
    log.onMessage = [&](const Message &) {
        if (stopped)
            ++late;
    };
    ASSERT_EQ(run.start(log), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 5));
    fnStopSoundCard();
    stopped = true;
    const std::size_t n = log.messages().size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(late.load(), 0);
    EXPECT_EQ(log.messages().size(), n);
}

TEST(Run, StartingAgainStopsThePreviousRun) {
    WavRun run(VARNEK_TONE_WAV);
    MessageLog first, second;
    ASSERT_EQ(run.start(first), PSK_OK);
    ASSERT_TRUE(first.wait_for(PSK_MSG_DATA_READY, 2));
    ASSERT_EQ(run.start(second), PSK_OK);
    const std::size_t n = first.messages().size();
    EXPECT_TRUE(second.wait_for(PSK_MSG_DATA_READY, 5));
    EXPECT_EQ(first.messages().size(), n);
}

TEST(Run, StopFromInsideANotification) {
    // Against the header's advice, but it must neither deadlock nor crash.
    WavRun run(VARNEK_TONE_WAV);
    MessageLog log;
    std::atomic<int32_t> restart{-1};
    log.onMessage = [&](const Message &m) {
        if (m.message == PSK_MSG_DATA_READY && restart == -1) {
            fnStopSoundCard();
            const PskNotifyTarget none{nullptr, nullptr};
            restart = fnStartSoundCard(&none, -1, 25, 0);
        }
    };
    ASSERT_EQ(run.start(log), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(log.count(PSK_MSG_DATA_READY), 1u);
    EXPECT_EQ(restart.load(), PSK_ERR_NOT_SUPPORTED);
    fnStopSoundCard();
}

TEST(Run, FileEndWithoutLoopReportedOnceAndDataGoesOn) {
    TempDir files;
    write_tone(files.file("short.wav"), Tone{.seconds = 0.5});
    WavRun run(files.file("short.wav"), "wav_loop = false\n");
    MessageLog log;
    ASSERT_EQ(run.start(log), PSK_OK);
    fnSetFFTMode(1, 100, 1);
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 1));
    const std::size_t atEnd = log.count(PSK_MSG_DATA_READY);
    EXPECT_TRUE(log.wait_for(PSK_MSG_DATA_READY, atEnd + 10));
    EXPECT_EQ(log.count(PSK_MSG_STATUS), 1u);
    for (const Message &m : log.messages()) {
        if (m.message == PSK_MSG_STATUS) {
            EXPECT_EQ(m.wParam, PSK_STATUS_INPUT_FILE_END);
        }
    }
    // By now the spectrum shows silence.
    std::vector<int32_t> fft(1024);
    fnGetFFTData(fft.data(), 0, 1023);
    EXPECT_EQ(*std::max_element(fft.begin(), fft.end()), 0);
}

TEST(Run, NullTargetRunsSilently) {
    WavRun run(VARNEK_TONE_WAV);
    EXPECT_EQ(fnStartSoundCard(nullptr, -1, 25, 0), PSK_OK);
    std::this_thread::sleep_for(100ms);
    fnStopSoundCard();
    const PskNotifyTarget empty{nullptr, nullptr};
    EXPECT_EQ(fnStartSoundCard(&empty, -1, 25, 0), PSK_OK);
}

TEST(Run, WavErrorsComeBackFromStart) {
    TempDir files;
    write_bytes(files.file("note.wav"), "not audio");
    for (const auto &[file, code] : {std::pair{files.file("missing.wav"), PSK_ERR_WAV_OPEN},
                                     std::pair{files.file("note.wav"), PSK_ERR_WAV_NOT_RIFF},
                                     std::pair{std::string(), PSK_ERR_WAV_OPEN}}) {
        WavRun run(file);
        MessageLog log;
        EXPECT_EQ(run.start(log), code) << file;
        std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(log.messages().empty());
    }
}

// ---- Sound card selection (this machine may have no sound card at all) ----

TEST(SoundCard, CardsThatDoNotExist) {
    TempDir dir;
    ScopedConfig cfg(dir, "input = soundcard\n");
    MessageLog log;
    const PskNotifyTarget t = log.target();
    for (int32_t card : {7, 3, -2, INT32_MIN})
        EXPECT_EQ(fnStartSoundCard(&t, card, 25, 0), PSK_ERR_BAD_DEVICE) << "card " << card;

    // With no input device every card is missing; with one, the default must start.
    int inputs = -1;
    if (Pa_Initialize() == paNoError) {
        inputs = 0;
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i)
            inputs += Pa_GetDeviceInfo(i)->maxInputChannels > 0 ? 1 : 0;
        Pa_Terminate();
    }
    if (inputs > 0)
        GTEST_SKIP() << "this machine has an input device";
    const int32_t expected = inputs < 0 ? PSK_ERR_NO_DRIVER : PSK_ERR_BAD_DEVICE;
    for (int32_t card : {-1, 0, 1, 2})
        EXPECT_EQ(fnStartSoundCard(&t, card, 25, 0), expected) << "card " << card;
    fnStopSoundCard();
    EXPECT_TRUE(log.messages().empty());
}

// ---- Which device a number stands for ----

std::string deviceName(int32_t kind, int32_t number) {
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    const int32_t length = fnGetDeviceName(kind, number, buffer, sizeof buffer);
    EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(buffer)) << kind << " " << number;
    return buffer;
}

TEST(DeviceNames, ComPortsAreTheConfiguredDevices) {
    TempDir dir;
    ScopedConfig cfg(dir,
                     "COM3 = /dev/serial/by-id/usb-FTDI_FT232R-if00-port0\ninput = wav\nwav_file = in.wav\n");
    EXPECT_EQ(deviceName(PSK_DEVICE_COM, 3), "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    EXPECT_EQ(deviceName(PSK_DEVICE_COM, 1), "/dev/ttyS0");
    EXPECT_EQ(deviceName(PSK_DEVICE_COM, 8), "/dev/ttyS7");
    // The input is what the configuration says, whatever the card number; a WAV input
    // has no output unless one is configured.
    EXPECT_EQ(deviceName(PSK_DEVICE_INPUT, 1), "WAV file " + dir.file("in.wav"));
    EXPECT_EQ(deviceName(PSK_DEVICE_OUTPUT, 1), "");
    const std::pair<int32_t, int32_t> outOfRange[] = {{PSK_DEVICE_COM, 0},
                                                      {PSK_DEVICE_COM, 9},
                                                      {PSK_DEVICE_INPUT, 3},
                                                      {PSK_DEVICE_OUTPUT, -2},
                                                      {3, 1},
                                                      {-1, 1}};
    for (auto [kind, number] : outOfRange)
        EXPECT_EQ(deviceName(kind, number), "") << kind << " " << number;
}

TEST(DeviceNames, ShortBuffersGetACutTextAndTheFullLength) {
    TempDir dir;
    ScopedConfig cfg(dir, "COM2 = /dev/ttyUSB0\n");
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(fnGetDeviceName(PSK_DEVICE_COM, 2, small, sizeof small), 12);
    EXPECT_STREQ(small, "/dev");
    EXPECT_EQ(fnGetDeviceName(PSK_DEVICE_COM, 2, nullptr, 0), 12);
    EXPECT_EQ(fnGetDeviceName(PSK_DEVICE_COM, 2, small, 0), 12);
    EXPECT_EQ(small[0], '/'); // size 0: nothing written
}

// The PTT port checks are in tx_ptt_test.cpp, with the rest of PTT.

} // namespace
