// The two modem-control lines that key a transmitter, behind an interface so that the
// keying sequence can be checked without a serial port.
#pragma once

namespace pskmodem {

class PttLines {
public:
    virtual ~PttLines() = default;
    // Raises or drops RTS and DTR; false when the device refused.
    virtual bool set(bool rts, bool dtr) = 0;
};

} // namespace pskmodem
