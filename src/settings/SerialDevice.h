#pragma once
// Whether the device a COM number is mapped to is a serial port, found without opening
// a real port: opening a UART raises its RTS and DTR lines, which on most interfaces
// keys the transmitter, so the setup dialog must never open one just to look.

#include <QString>

struct SerialDeviceState {
    enum Kind {
        Missing,   // nothing at that path
        NotSerial, // something that is not a serial port (a file, a console, /dev/null...)
        Serial,    // a serial port, USB adapter or pseudo-terminal
    };
    Kind kind = Missing;
    // The device a symbolic link (a /dev/serial/by-id/... name) leads to; empty otherwise.
    QString target;
};

SerialDeviceState probeSerialDevice(const QString &path);
