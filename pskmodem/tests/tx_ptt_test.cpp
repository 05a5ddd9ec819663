// PTT ports: what fnSetComPort accepts and refuses. A pseudo-terminal opens like a
// serial port but has no modem-control lines, so it cannot key a transmitter and is
// refused; nothing refused may stay open. (Keying itself is checked through the
// engine with a recording port, in tx_engine_test.cpp.)
#include "config.h"
#include "pskmodem.h"
#include "ptt/serial_port.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace pskmodem;
using testing_support::ScopedConfig;
using testing_support::TempDir;

namespace {

std::size_t open_descriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// The master side of a pseudo-terminal, open for the test's lifetime.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            if (const char *name = ptsname(master_))
                slave_ = name;
    }
    ~PseudoTerminal() {
        if (master_ >= 0)
            close(master_);
    }
    const std::string &slave() const { return slave_; }

private:
    int master_ = -1;
    std::string slave_;
};

struct RefusedCase {
    const char *name;
    std::string (*path)(const TempDir &, const PseudoTerminal &);
};

void PrintTo(const RefusedCase &c, std::ostream *os) {
    *os << c.name;
}

class RefusedPort : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPort, IsNotKeptOpen) {
    TempDir dir;
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().empty());
    const std::string path = GetParam().path(dir, pty);
    const std::size_t before = open_descriptors();
    EXPECT_EQ(SerialPort::open(path), nullptr) << path;
    EXPECT_EQ(open_descriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPort,
    testing::Values(
        RefusedCase{"Missing", [](const TempDir &d, const PseudoTerminal &) { return d.file("absent"); }},
        RefusedCase{"Empty", [](const TempDir &, const PseudoTerminal &) { return std::string(); }},
        RefusedCase{"NotATerminal",
                    [](const TempDir &, const PseudoTerminal &) { return std::string("/dev/null"); }},
        RefusedCase{"Directory", [](const TempDir &d, const PseudoTerminal &) { return d.path().string(); }},
        RefusedCase{"NoModemLines", [](const TempDir &, const PseudoTerminal &p) { return p.slave(); }}),
    [](const auto &info) { return std::string(info.param.name); });

struct ComPortCase {
    const char *name;
    int32_t port, ptt, expected;
};

void PrintTo(const ComPortCase &c, std::ostream *os) {
    *os << c.name;
}

class ComPort : public testing::TestWithParam<ComPortCase> {};

TEST_P(ComPort, AnswersWithoutLeavingAPortOpen) {
    TempDir dir;
    PseudoTerminal pty;
    ScopedConfig cfg(dir,
                     "COM1 = " + pty.slave() + "\nCOM2 = " + dir.file("absent") + "\nCOM3 = /dev/null\n");
    const std::size_t before = open_descriptors();
    EXPECT_EQ(fnSetComPort(GetParam().port, GetParam().ptt) & 0xff, GetParam().expected);
    EXPECT_EQ(open_descriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComPort,
    testing::Values(ComPortCase{"NoPttAnyPort", 99, 0, 1}, ComPortCase{"PseudoTerminal", 1, 1, 0},
                    ComPortCase{"MissingDevice", 2, 2, 0}, ComPortCase{"NotATerminal", 3, 3, 0},
                    ComPortCase{"PortZero", 0, 1, 0}, ComPortCase{"PortNine", 9, 1, 0},
                    ComPortCase{"BadLines", 1, 4, 0}, ComPortCase{"NegativeLines", 1, -1, 0}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
