#pragma once
// The news file fetched from the Internet, as text: the notice window shows
// its first line as the caption and the rest in its memo. The file comes
// from a web server, so any bytes must give some lines.

#include <QByteArray>
#include <QStringList>

// The lines of a news file: UTF-8 when it is valid UTF-8, otherwise the
// 8-bit Windows text such files were always written in; CR LF or LF ends.
QStringList newsLines(const QByteArray &bytes);
