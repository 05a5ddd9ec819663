// Platform part: Linux decides from sysfs, other POSIX systems from the device type.
#include "SerialDevice.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_UNIX)
// A terminal that is not in sysfs (a pseudo-terminal) has no lines to raise, so opening
// it to ask isatty is harmless.
bool isTerminalWithoutLines(const QString &path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty;
}
#endif

#if defined(Q_OS_LINUX)
// What sysfs says about a character device: nullopt when it does not know it.
// A serial port is a tty with a parent device (virtual consoles have none); an 8250
// UART slot without hardware behind it reports type 0.
std::optional<bool> sysfsSaysSerial(dev_t rdev) {
    const QString node = QStringLiteral("/sys/dev/char/%1:%2").arg(major(rdev)).arg(minor(rdev));
    if (!QFileInfo::exists(node))
        return std::nullopt;
    const QString subsystem = QFileInfo(node + QStringLiteral("/subsystem")).canonicalFilePath();
    if (QFileInfo(subsystem).fileName() != QLatin1String("tty"))
        return false;
    if (!QFileInfo::exists(node + QStringLiteral("/device")))
        return false;
    QFile type(node + QStringLiteral("/type"));
    if (type.open(QIODevice::ReadOnly))
        return type.readAll().trimmed() != "0";
    return true;
}
#endif

} // namespace

SerialDeviceState probeSerialDevice(const QString &path) {
    SerialDeviceState state;
    if (path.isEmpty())
        return state;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        state.target = info.canonicalFilePath();
        if (state.target.isEmpty())
            return state; // a dangling link: the adapter is unplugged
    }
#if defined(Q_OS_UNIX)
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return state;
    state.kind = SerialDeviceState::NotSerial;
    if (!S_ISCHR(st.st_mode))
        return state;
#if defined(Q_OS_LINUX)
    if (const std::optional<bool> serial = sysfsSaysSerial(st.st_rdev)) {
        state.kind = *serial ? SerialDeviceState::Serial : SerialDeviceState::NotSerial;
        return state;
    }
#endif
    if (isTerminalWithoutLines(path))
        state.kind = SerialDeviceState::Serial;
#else
    state.kind = info.exists() ? SerialDeviceState::Serial : SerialDeviceState::Missing;
#endif
    return state;
}
