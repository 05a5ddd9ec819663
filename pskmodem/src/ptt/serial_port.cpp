#include "serial_port.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pskmodem {

namespace {

bool modem_bits(int fd, unsigned long request, int bits) {
    while (::ioctl(fd, request, &bits) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

std::unique_ptr<SerialPort> SerialPort::open(const std::string &path) {
    if (path.empty())
        return nullptr;
    int fd = -1;
    do
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<SerialPort> port(new SerialPort(fd)); // closes fd on every failure below
    if (!::isatty(fd))
        return nullptr;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0 && !(tio.c_cflag & HUPCL)) {
        tio.c_cflag |= HUPCL;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    // A terminal without modem-control lines cannot key anything.
    int status = 0;
    if (::ioctl(fd, TIOCMGET, &status) != 0)
        return nullptr;
    if (!port->set(false, false))
        return nullptr;
    return port;
}

SerialPort::~SerialPort() {
    if (fd_ >= 0) {
        set(false, false);
        ::close(fd_);
    }
}

bool SerialPort::set(bool rts, bool dtr) {
    const int up = (rts ? TIOCM_RTS : 0) | (dtr ? TIOCM_DTR : 0);
    const int down = (rts ? 0 : TIOCM_RTS) | (dtr ? 0 : TIOCM_DTR);
    bool ok = true;
    if (up)
        ok = modem_bits(fd_, TIOCMBIS, up) && ok;
    if (down)
        ok = modem_bits(fd_, TIOCMBIC, down) && ok;
    return ok;
}

} // namespace pskmodem
