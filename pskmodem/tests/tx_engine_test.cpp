// Transmitting through the engine: the status messages in order with PTT keyed under
// them, the receive side running on meanwhile, the audio reaching the sink; and through
// the C API with the configuration file: WAV output, loopback into the input, and a
// WAV output that cannot be written.
#include "audio/audio_sink.h"
#include "audio/audio_source.h"
#include "audio/simulated_band.h"
#include "engine.h"
#include "ptt/ptt.h"
#include "test_support.h"
#include "tx_reference.h"

#include <gtest/gtest.h>

#include <mutex>
#include <sndfile.h>

using namespace pskmodem;
using namespace std::chrono_literals;
using testing_support::Message;
using testing_support::MessageLog;
using testing_support::ScopedConfig;
using testing_support::TempDir;

namespace {

// Silence, read at the engine's pace like a file.
class QuietSource : public AudioSource {
public:
    int open() override { return PSK_OK; }
    SourceRead read(std::span<float> out) override {
        std::fill(out.begin(), out.end(), 0.0f);
        return SourceRead{out.size(), 0, false};
    }
    bool realtime() const override { return false; }
    void close() override {}
};

// The sink goes with the engine's run; what it received stays with the test.
struct Captured {
    std::mutex mutex;
    std::vector<float> audio;
};

class CaptureSink : public AudioSink {
public:
    explicit CaptureSink(std::shared_ptr<Captured> c) : captured_(std::move(c)) {}
    int write(std::span<const float> samples) override {
        std::lock_guard lock(captured_->mutex);
        captured_->audio.insert(captured_->audio.end(), samples.begin(), samples.end());
        return 0;
    }

private:
    std::shared_ptr<Captured> captured_;
};

// What the PTT lines are doing, shared with the test after the port has been handed over.
struct LineState {
    std::mutex mutex;
    bool rts = false, dtr = false;
    std::pair<bool, bool> now() {
        std::lock_guard lock(mutex);
        return {rts, dtr};
    }
};

class RecordingLines : public PttLines {
public:
    explicit RecordingLines(std::shared_ptr<LineState> s) : state_(std::move(s)) {}
    bool set(bool rts, bool dtr) override {
        std::lock_guard lock(state_->mutex);
        state_->rts = rts;
        state_->dtr = dtr;
        return true;
    }

private:
    std::shared_ptr<LineState> state_;
};

std::vector<int32_t> statuses(const MessageLog &log) {
    std::vector<int32_t> out;
    for (const Message &m : log.messages())
        if (m.message == PSK_MSG_STATUS)
            out.push_back(m.wParam);
    return out;
}

void queue(ModemState &state, const std::string &text) {
    for (const char c : text)
        state.send(static_cast<unsigned char>(c), 0);
}

struct LinesCase {
    const char *name;
    int lines;
    bool rts, dtr;
};

void PrintTo(const LinesCase &c, std::ostream *os) {
    *os << c.name;
}

class EngineTransmit : public testing::TestWithParam<LinesCase> {};

TEST_P(EngineTransmit, StatusesInOrderWithPttUnderThemAndReceiversRunning) {
    const std::string text = "CQ CQ de Q1ABC pse K";
    auto lines = std::make_shared<LineState>();
    std::mutex seenMutex;
    std::vector<std::pair<bool, bool>> linesAtStatus;
    std::size_t dataReadyOnAir = 0;
    bool onAir = false;
    MessageLog log; // declared first: it must outlive the engine's thread
    log.onMessage = [&](const Message &m) {
        std::lock_guard lock(seenMutex);
        if (m.message == PSK_MSG_STATUS) {
            linesAtStatus.push_back(lines->now());
            onAir = m.wParam != PSK_STATUS_RX;
        } else if (m.message == PSK_MSG_DATA_READY && onAir) {
            ++dataReadyOnAir;
        }
    };
    Engine engine;
    engine.ptt().use(std::make_unique<RecordingLines>(lines), GetParam().lines);
    auto captured = std::make_shared<Captured>();
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(
        engine.start(std::make_unique<QuietSource>(), &t, 100.0, std::make_unique<CaptureSink>(captured)),
        PSK_OK);
    engine.state().set_tx_frequency(1200);
    queue(engine.state(), text);
    engine.state().start_tx(0);
    engine.state().stop_tx();
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 3));
    std::this_thread::sleep_for(50ms);
    engine.stop();

    EXPECT_EQ(statuses(log), (std::vector<int32_t>{PSK_STATUS_TX, PSK_STATUS_TX_FINISHING, PSK_STATUS_RX}));
    const std::pair<bool, bool> keyed{GetParam().rts, GetParam().dtr};
    const std::pair<bool, bool> released{false, false};
    EXPECT_EQ(linesAtStatus, (std::vector<std::pair<bool, bool>>{keyed, keyed, released}));
    EXPECT_GT(dataReadyOnAir, 10u) << "the receive side goes on while transmitting";
    EXPECT_EQ(tx_reference::decode(captured->audio, 1200, 0), text);
}

INSTANTIATE_TEST_SUITE_P(Lines, EngineTransmit,
                         testing::Values(LinesCase{"None", Ptt::kNone, false, false},
                                         LinesCase{"Rts", Ptt::kRts, true, false},
                                         LinesCase{"Dtr", Ptt::kDtr, false, true},
                                         LinesCase{"Both", Ptt::kBoth, true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EngineStop, ReleasesPttWithoutAnotherMessage) {
    auto lines = std::make_shared<LineState>();
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    engine.ptt().use(std::make_unique<RecordingLines>(lines), Ptt::kBoth);
    const PskNotifyTarget t = log.target();
    // Started while stopped: dropped, not sent by surprise at the next start.
    engine.state().start_tx(0);
    ASSERT_EQ(engine.start(std::make_unique<QuietSource>(), &t, 100.0), PSK_OK);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(log.count(PSK_MSG_STATUS), 0u);

    engine.state().start_tx(0);
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 1));
    EXPECT_EQ(lines->now(), std::make_pair(true, true));
    engine.stop();
    EXPECT_EQ(lines->now(), std::make_pair(false, false));
    EXPECT_EQ(statuses(log), std::vector<int32_t>{PSK_STATUS_TX});
    EXPECT_EQ(engine.state().tx_control().requested, false);
}

std::string received(const MessageLog &log, int32_t channel) {
    std::string text;
    for (const Message &m : log.messages())
        if (m.message == PSK_MSG_CHARACTER && m.lParam == channel)
            text += static_cast<char>(m.wParam & 0xff);
    return text;
}

// The simulated band as the receivers hear it: every BPSK station is copied on its own
// channel, and what it sends is a contact. (Loopback checks every mode against the
// receivers; here the point is the band: gaps, fading, offsets, neighbours and noise.)
TEST(EngineSimulatedBand, EveryStationIsCopiedOnItsChannel) {
    BandSettings settings;
    settings.stations = 5;
    settings.noiseDb = -40.0;
    settings.seed = 21;
    auto band = std::make_unique<SimulatedBand>(settings);
    band->open();
    const std::vector<SimulatedBand::Station> stations = band->stations();
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    for (std::size_t k = 0; k < stations.size(); ++k) {
        const auto ch = static_cast<int32_t>(k);
        engine.state().set_rx_frequency(ch, static_cast<int32_t>(stations[k].frequency), 10);
        engine.state().set_rx_mode(ch, stations[k].mode);
        engine.state().set_afc_limit(ch, 10);
        engine.state().enable_channel(ch, true);
    }
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(engine.start(std::move(band), &t, 100.0), PSK_OK);
    // Three minutes of band.
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 180 * 8000 / 1024, std::chrono::seconds(120)));
    engine.stop();
    for (std::size_t k = 0; k < stations.size(); ++k) {
        if (stations[k].mode % 8 != 0)
            continue;
        const std::string text = received(log, static_cast<int32_t>(k));
        EXPECT_NE(text.find(" de Q"), std::string::npos)
            << stations[k].frequency << " Hz, mode " << stations[k].mode;
    }
}

// ---- Through the C API and the configuration file ----

std::vector<float> read_wav(const std::string &path, int *rate = nullptr) {
    SF_INFO info{};
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<float> x(static_cast<std::size_t>(info.frames * info.channels));
    sf_read_float(f, x.data(), static_cast<sf_count_t>(x.size()));
    sf_close(f);
    if (rate)
        *rate = info.samplerate * 100 + info.channels;
    return x;
}

void send_text(const std::string &text) {
    for (const char c : text)
        fnSendTXCharacter(static_cast<unsigned char>(c), 0);
}

TEST(ApiTransmit, WavOutputHoldsTheTransmissionOnly) {
    TempDir dir;
    ScopedConfig cfg(dir, "input = simulated\nsim_stations = 0\nsim_noise = -90\nwav_speed = 100\n"
                          "output = wav\nwav_out = sent.wav\n");
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    fnSetTXFrequency(900);
    fnStartTX(0);
    send_text("de Q1ABC");
    fnSendTXCharacter(1, 1); // back to receive once that is sent
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 2));
    fnStopSoundCard();
    EXPECT_EQ(statuses(log), (std::vector<int32_t>{PSK_STATUS_TX, PSK_STATUS_RX}));
    int format = 0;
    const std::vector<float> x = read_wav(dir.file("sent.wav"), &format);
    EXPECT_EQ(format, 8000 * 100 + 1);
    EXPECT_EQ(tx_reference::decode(x, 900, 0), "de Q1ABC");
    // It starts with the fade-in: no receive-time silence before it.
    ASSERT_GT(x.size(), 300u);
    EXPECT_NE(x[200], 0.0f);
}

TEST(ApiTransmit, LoopbackPutsTheSignalIntoTheInput) {
    TempDir dir;
    ScopedConfig cfg(dir, "input = loopback\nsim_noise = -80\nwav_speed = 20\n");
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    fnSetTXFrequency(1500);
    fnStartTX(3); // tune carrier
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 1));
    const std::size_t seen = log.count(PSK_MSG_DATA_READY);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, seen + 4));
    std::vector<int32_t> fft(1024);
    fnGetFFTData(fft.data(), 0, 1023);
    EXPECT_EQ(testing_support::argmax(fft.data(), 1024), 1500 * 2048 / 8000);
    fnStopTX();
    EXPECT_TRUE(log.wait_for(PSK_MSG_STATUS, 2));
}

class ApiLoopback : public testing::TestWithParam<int32_t> {};

TEST_P(ApiLoopback, TheReceiversCopyWhatIsSent) {
    TempDir dir;
    ScopedConfig cfg(dir, "input = loopback\nsim_noise = -60\nwav_speed = 50\n");
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    fnSetRXFrequency(1200, 10, 4);
    fnSetRXPSKMode(GetParam(), 4);
    fnEnableRXChannel(4, 1);
    fnSetTXFrequency(1200);
    fnStartTX(GetParam());
    const std::string text = "CQ CQ de Q1ABC Q1ABC pse K";
    send_text(text + " ");
    fnSendTXCharacter(1, 1);
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 2));
    std::this_thread::sleep_for(100ms);
    fnStopSoundCard();
    EXPECT_EQ(statuses(log), (std::vector<int32_t>{PSK_STATUS_TX, PSK_STATUS_RX}));
    EXPECT_NE(received(log, 4).find(text), std::string::npos) << received(log, 4);
}

INSTANTIATE_TEST_SUITE_P(Modes, ApiLoopback, testing::Values(0, 1, 2, 8, 9, 10));

TEST(ApiTransmit, UnwritableWavOutputIsReportedOnceAndTransmissionGoesOn) {
    TempDir dir;
    ScopedConfig cfg(dir, "input = loopback\nwav_speed = 100\noutput = wav\nwav_out = " +
                              dir.file("no/such/folder/out.wav") + "\n");
    MessageLog log;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(fnStartSoundCard(&t, -1, 25, 0), PSK_OK);
    fnStartTX(0);
    fnStopTX();
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 3));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(statuses(log), (std::vector<int32_t>{PSK_STATUS_TX, 43, PSK_STATUS_RX}));
}

} // namespace
