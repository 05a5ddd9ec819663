// A serial port used only for its RTS and DTR lines (POSIX).
//
// The port is opened without becoming our controlling terminal, without waiting for
// carrier and close-on-exec (a program we start must not inherit it and hold the
// lines). Opening a serial device raises both lines on most systems, so they are
// dropped at once; HUPCL is set so that the kernel drops them again when the last
// descriptor closes, which includes the death of the process.
#pragma once

#include "ptt_lines.h"

#include <memory>
#include <string>

namespace pskmodem {

class SerialPort : public PttLines {
public:
    // Null when the device is missing, cannot be opened, is not a terminal or has no
    // modem-control lines (a pseudo-terminal, a serial driver without hardware).
    static std::unique_ptr<SerialPort> open(const std::string &path);
    ~SerialPort() override;
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    bool set(bool rts, bool dtr) override;
    int descriptor() const { return fd_; }

private:
    explicit SerialPort(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace pskmodem
