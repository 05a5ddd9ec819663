// Names of the devices the library would use for a card or COM port number, so the
// program can tell the operator which number is which before anything is opened.
#pragma once

#include "config.h"

#include <string>

namespace pskmodem {

enum class DeviceKind { Input = 0, Output = 1, ComPort = 2 };

// What the input or output is for card -1..2 (as given to fnStartSoundCard), or the
// device path of COM port 1..8 (as fnSetComPort opens it). Empty when there is none:
// no such card, the output is off, or the number is out of range. The sound-card
// names come from PortAudio and do not open a stream.
std::string device_name(const Config &cfg, DeviceKind kind, int number);

} // namespace pskmodem
