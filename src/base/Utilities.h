#pragma once
// Small helpers shared by the whole program.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>

// Waits at least `ms` milliseconds while the event loop keeps running, so the
// modem's messages, timer ticks and clicks are handled meanwhile. Callers must
// be ready for any handler to run inside it.
void Delay(uint32_t ms);

class Dialogs;

// Starts a program without waiting for it. The command line is split as a shell would
// (quotes group words). Returns false when it could not be started (empty, not installed,
// not executable); with dialogs given, that is also reported in a "Warning" box naming the
// command, so a click on a mixer button never goes unanswered.
bool RunProgram(const QString &commandLine, Dialogs *dialogs = nullptr);

// 32-by-16-bit division. A quotient that does not fit 16 bits is truncated to
// its low 16 bits; division by zero gives 0 and 0 instead of trapping.
void DivMod(uint32_t dividend, uint16_t divisor, uint16_t &quotient, uint16_t &remainder);

// Formats a date and time with the program's pattern letters: yyyy, yy, m, mm,
// mmm, mmmm, d, dd, ddd, dddd, h, hh, n, nn, s, ss, c; "/" and ":" are the
// locale's separators, text between double (or single) quotes is copied.
// As is usual for these patterns, m/mm right after h/hh mean minutes.
QString FormatDateTime(const QString &pattern, const QDateTime &t, const QLocale &locale = QLocale::system());

// The date pattern chosen by the DateFormat setting (0..5); empty otherwise.
QString dateFormatPattern(int dateFormat);
