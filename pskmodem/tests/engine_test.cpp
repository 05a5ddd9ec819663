// The engine with sources scripted here, for what a real sound card cannot be made to
// do on demand: deliver audio late, overflow, or vanish.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <deque>
#include <numbers>
#include <thread>

using namespace pskmodem;
using namespace std::chrono_literals;
using testing_support::Message;
using testing_support::MessageLog;

namespace {

// A live source that plays a script of reads (each delivers a 1000 Hz tone), then
// delivers nothing.
class ScriptedSource : public AudioSource {
public:
    ScriptedSource(std::deque<SourceRead> script, int openResult = PSK_OK)
        : script_(std::move(script)), openResult_(openResult) {}
    int open() override { return openResult_; }
    SourceRead read(std::span<float> out) override {
        if (script_.empty())
            return {};
        SourceRead r = script_.front();
        script_.pop_front();
        r.count = std::min(r.count, out.size());
        for (std::size_t i = 0; i < r.count; ++i, ++n_)
            out[i] = 0.25f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * n_ / 8000.0));
        return r;
    }
    bool realtime() const override { return true; }
    void close() override { ++closed; }
    std::atomic<int> closed{0};

private:
    std::deque<SourceRead> script_;
    int openResult_;
    double n_ = 0;
};

std::deque<SourceRead> audio(int chunks) {
    return std::deque<SourceRead>(static_cast<std::size_t>(chunks), SourceRead{256, 0, false});
}

std::vector<int32_t> statuses(const MessageLog &log) {
    std::vector<int32_t> out;
    for (const Message &m : log.messages())
        if (m.message == PSK_MSG_STATUS)
            out.push_back(m.wParam);
    return out;
}

TEST(Engine, LostInputIsReportedOnceThenQuietAndStopReturns) {
    auto script = audio(40); // 10 blocks
    script.push_back(SourceRead{0, PSK_ERR_INPUT_TIMEOUT, true});
    auto source = std::make_unique<ScriptedSource>(script);
    ScriptedSource *raw = source.get();
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(engine.start(std::move(source), &t), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_STATUS, 1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(statuses(log), std::vector<int32_t>{PSK_ERR_INPUT_TIMEOUT});
    EXPECT_EQ(log.count(PSK_MSG_DATA_READY), 10u);
    EXPECT_EQ(raw->closed.load(), 1) << "the lost input is released at once";

    const auto before = std::chrono::steady_clock::now();
    engine.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    // The spectrum of the last good block is still there to read.
    std::vector<int32_t> fft(1024);
    engine.fft_data(fft.data(), 0, 1023);
    EXPECT_EQ(testing_support::argmax(fft.data(), 1024), 256);
}

TEST(Engine, OverflowIsReportedAndInputGoesOn) {
    auto script = audio(8);
    script.push_back(SourceRead{256, PSK_ERR_INPUT_OVERFLOW, false});
    for (const SourceRead &r : audio(23))
        script.push_back(r);
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(engine.start(std::make_unique<ScriptedSource>(script), &t), PSK_OK);
    EXPECT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 8));
    EXPECT_EQ(statuses(log), std::vector<int32_t>{PSK_ERR_INPUT_OVERFLOW});
}

TEST(Engine, SourceThatDoesNotOpenLeavesTheEngineStopped) {
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    const PskNotifyTarget t = log.target();
    EXPECT_EQ(engine.start(std::make_unique<ScriptedSource>(audio(8), PSK_ERR_ALLOCATED), &t),
              PSK_ERR_ALLOCATED);
    EXPECT_EQ(engine.start(nullptr, &t), PSK_ERR_UNKNOWN);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(log.messages().empty());
    // And it starts fine afterwards.
    ASSERT_EQ(engine.start(std::make_unique<ScriptedSource>(audio(8)), &t), PSK_OK);
    EXPECT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 2));
}

TEST(Engine, NoiseLevelAboutOncePerSecondOfInput) {
    // 4.5 s of input: the first two blocks are skipped, then one level per 8 blocks.
    MessageLog log; // declared first: it must outlive the engine's thread
    Engine engine;
    const PskNotifyTarget t = log.target();
    ASSERT_EQ(engine.start(std::make_unique<ScriptedSource>(audio(140)), &t), PSK_OK);
    ASSERT_TRUE(log.wait_for(PSK_MSG_DATA_READY, 35));
    EXPECT_EQ(log.count(PSK_MSG_LEVEL), 4u);
}

} // namespace
