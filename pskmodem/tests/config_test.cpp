#include "config.h"

#include "test_support.h"

#include <gtest/gtest.h>

using pskmodem::Config;
using pskmodem::InputKind;
using pskmodem::parse_config;

namespace {

struct ParseCase {
    const char *name;
    const char *text;
    InputKind input;
    const char *wavFile;
    bool loop;
    double speed;
    const char *com1;
    std::size_t problems;
};

class ConfigParse : public testing::TestWithParam<ParseCase> {};

TEST_P(ConfigParse, Values) {
    const ParseCase &c = GetParam();
    const Config cfg = parse_config(c.text, "/base");
    EXPECT_EQ(cfg.input, c.input);
    EXPECT_EQ(cfg.wavFile, c.wavFile);
    EXPECT_EQ(cfg.wavLoop, c.loop);
    EXPECT_DOUBLE_EQ(cfg.wavSpeed, c.speed);
    EXPECT_EQ(cfg.comDevices[0], c.com1);
    EXPECT_EQ(cfg.problems.size(), c.problems);
    // Ports that were not mapped keep their default.
    EXPECT_EQ(cfg.comDevices[7], "/dev/ttyS7");
}

const ParseCase kParseCases[] = {
    {"Empty", "", InputKind::SoundCard, "", true, 1.0, "/dev/ttyS0", 0},
    {"AllKeys",
     "# a comment\ninput = wav\nwav_file = /tmp/a.wav\nwav_loop = false\nwav_speed = 20\nCOM1 = "
     "/dev/ttyUSB0\n",
     InputKind::Wav, "/tmp/a.wav", false, 20.0, "/dev/ttyUSB0", 0},
    {"SpacingCaseCrlfAndTrailingComments",
     "  INPUT=WAV   # from a file\r\nWav_Loop =  no\r\n\tcom1\t=\t/dev/ttyACM0\r\n", InputKind::Wav, "",
     false, 1.0, "/dev/ttyACM0", 0},
    {"RelativeWavFileFollowsConfigDir", "wav_file = rec/a.wav", InputKind::SoundCard, "/base/rec/a.wav", true,
     1.0, "/dev/ttyS0", 0},
    {"QuotedPath", "wav_file = \"/my files/a.wav\"", InputKind::SoundCard, "/my files/a.wav", true, 1.0,
     "/dev/ttyS0", 0},
    {"UnknownKeysIgnored", "colour = blue\nCOM9 = /dev/x\n", InputKind::SoundCard, "", true, 1.0,
     "/dev/ttyS0", 0},
    {"BadValuesKeepDefaults",
     "input = microphone\nwav_loop = maybe\nwav_speed = fast\nCOM1 =\nno equals sign here\n",
     InputKind::SoundCard, "", true, 1.0, "/dev/ttyS0", 5},
    {"SpeedRejectsNonPositiveAndNan", "wav_speed = -3\nwav_speed = nan\nwav_speed = 0\n",
     InputKind::SoundCard, "", true, 1.0, "/dev/ttyS0", 3},
    {"SpeedClamped", "wav_speed = 1e9", InputKind::SoundCard, "", true, Config::kMaxWavSpeed, "/dev/ttyS0",
     0},
    {"LaterLineWins", "input = wav\ninput = soundcard\n", InputKind::SoundCard, "", true, 1.0, "/dev/ttyS0",
     0},
    {"ByteOrderMarkBeforeFirstKey", "\xEF\xBB\xBFinput = wav\n", InputKind::Wav, "", true, 1.0, "/dev/ttyS0",
     0},
    {"HashInsideQuotesIsKept", "wav_file = \"/rec/#2 band.wav\" # second take\nCOM1 = \"/dev/serial#1\"\n",
     InputKind::SoundCard, "/rec/#2 band.wav", true, 1.0, "/dev/serial#1", 0},
    {"HashOutsideQuotesStartsAComment", "COM1 = /dev/ttyUSB0#1\n", InputKind::SoundCard, "", true, 1.0,
     "/dev/ttyUSB0", 0},
    {"BinaryJunk", "\x01\x02\xff=\xfe\n=\n= x\n\x7f", InputKind::SoundCard, "", true, 1.0, "/dev/ttyS0", 1},
};

INSTANTIATE_TEST_SUITE_P(Table, ConfigParse, testing::ValuesIn(kParseCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Where the file is looked for, depending on the environment.
struct PathCase {
    const char *name;
    const char *pskmodemConfig;
    const char *xdg;
    const char *home;
    const char *expected;
};

class ConfigPath : public testing::TestWithParam<PathCase> {
protected:
    void SetUp() override {
        for (const char *v : {"PSKMODEM_CONFIG", "XDG_CONFIG_HOME", "HOME"})
            if (const char *old = std::getenv(v))
                saved_.emplace_back(v, old);
    }
    void TearDown() override {
        for (const char *v : {"PSKMODEM_CONFIG", "XDG_CONFIG_HOME", "HOME"})
            unsetenv(v);
        for (const auto &[k, v] : saved_)
            setenv(k.c_str(), v.c_str(), 1);
    }
    static void set(const char *name, const char *value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_P(ConfigPath, Resolution) {
    const PathCase &c = GetParam();
    set("PSKMODEM_CONFIG", c.pskmodemConfig);
    set("XDG_CONFIG_HOME", c.xdg);
    set("HOME", c.home);
    EXPECT_EQ(pskmodem::config_path(), c.expected);
}

const PathCase kPathCases[] = {
    {"ExplicitFileWins", "/etc/p.conf", "/x", "/h", "/etc/p.conf"},
    {"XdgConfigHome", nullptr, "/x", "/h", "/x/pskmodem/pskmodem.conf"},
    {"EmptyVariablesAreUnset", "", "", "/h", "/h/.config/pskmodem/pskmodem.conf"},
    {"NothingSet", nullptr, nullptr, nullptr, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, ConfigPath, testing::ValuesIn(kPathCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ConfigLoad, ReadsTheFileAndFallsBackWhenItIsMissingOrNotAFile) {
    testing_support::TempDir dir;
    {
        testing_support::ScopedConfig cfg(dir, "input = wav\nwav_speed = 2.5\n");
        const Config c = pskmodem::load_config();
        EXPECT_EQ(c.input, InputKind::Wav);
        EXPECT_DOUBLE_EQ(c.wavSpeed, 2.5);
    }
    setenv("PSKMODEM_CONFIG", dir.file("missing.conf").c_str(), 1);
    EXPECT_EQ(pskmodem::load_config().input, InputKind::SoundCard);
    setenv("PSKMODEM_CONFIG", dir.path().c_str(), 1); // a directory
    EXPECT_EQ(pskmodem::load_config().input, InputKind::SoundCard);
    unsetenv("PSKMODEM_CONFIG");
}

// Nothing past the limit is used, and that is said, not silently dropped; the line the limit
// cuts in half is not used either.
TEST(ConfigLoad, ReportsWhatIsIgnoredPastTheSizeLimit) {
    testing_support::TempDir dir;
    std::string text = "input = wav\n";
    while (text.size() < (1u << 20) - 8)
        text += "# padding padding padding padding padding\n";
    text.resize((1u << 20) - 8, '#');
    text += "\nwav_speed = 2.5\nCOM1 = /dev/late\n";
    testing_support::ScopedConfig cfg(dir, text);
    const Config c = pskmodem::load_config();
    EXPECT_EQ(c.input, InputKind::Wav);
    EXPECT_DOUBLE_EQ(c.wavSpeed, 1.0) << "the value cut by the limit was used";
    EXPECT_EQ(c.comDevices[0], "/dev/ttyS0");
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_NE(c.problems[0].find("1 MiB"), std::string::npos) << c.problems[0];
}

} // namespace
