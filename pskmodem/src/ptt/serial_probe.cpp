#include "serial_probe.h"

#include <fcntl.h>
#include <unistd.h>

namespace pskmodem {

bool serial_device_opens(const std::string &path) {
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace pskmodem
