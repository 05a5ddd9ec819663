// Platform part of PTT: whether a serial device can be opened at all.
#pragma once

#include <string>

namespace pskmodem {

// Opens the device without making it our controlling terminal and without waiting for
// carrier, and closes it again at once; true when the open succeeded.
bool serial_device_opens(const std::string &path);

} // namespace pskmodem
