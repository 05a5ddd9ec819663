#pragma once
// Text rules shared by the log writer and reader: the 8-bit encoding of the
// log file and the program's trimming.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace adif {

// Encodes text as Windows-1252, the 8-bit form every log file is written in
// on every platform. A character the code page cannot hold becomes "?", one
// byte, so a tag's length always counts the bytes that follow it.
QByteArray toLogBytes(QStringView text);

// Decodes Windows-1252 bytes; the five unassigned bytes map to the C1
// controls of the same number, so nothing read is dropped.
QString fromLogBytes(QByteArrayView bytes);

// Removes blanks and control characters (everything up to U+0020) at both
// ends. Unlike QString::trimmed it keeps a no-break space, which is text.
QString trimText(QStringView text);

} // namespace adif
