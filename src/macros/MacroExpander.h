#pragma once
// The macro language: a backslash and one lower-case letter is a code that
// inserts QSO data, the date or time, a file, a modem control, or performs an
// action (key the transmitter, clear the receive pane). Anything else is typed
// as it stands.
//
// Codes are processed one after the other in a fixed order (\c \d \f \g \h \i
// \m \n \r \t \u \v \w \x \z), each occurrence from left to right, so every
// question and action happens before the first character is typed, and text
// inserted by one code is searched for the codes that come after it. The
// search for a code goes on after the text that code inserted: a call sign
// "\c" or a file that includes itself is typed as it stands instead of being
// expanded for ever.

#include <QLocale>
#include <QString>

class Clock;
class Dialogs;

// What a macro reads and does in the program around it.
class MacroContext {
public:
    virtual ~MacroContext() = default;
    // The QSO box's fields, untrimmed.
    virtual QString hisCall() const = 0;
    virtual void setHisCall(const QString &call) = 0;
    virtual QString hisName() const = 0;
    virtual QString hisRep() const = 0;
    virtual void setHisRep(const QString &report) = 0;
    virtual QString myCall() const = 0;
    // The pattern chosen by the DateFormat setting.
    virtual QString dateFormatPattern() const = 0;
    // Separators and day and month names for \d, \u, \v and \x.
    virtual QLocale locale() const { return QLocale::system(); }
    // The folder \f reads its files from.
    virtual QString programFolder() const = 0;
    // A tune carrier is on: \t then keys nothing.
    virtual bool tuning() const = 0;
    virtual void keyTransmitter() = 0;
    virtual void clearReceivePane() = 0;
};

class MacroExpander {
public:
    // A file included by \f is cut after this many characters: a macro is
    // typed one character at a time, and a name pointing at a huge file must
    // not exhaust memory first.
    static constexpr qsizetype MaxFileChars = 1 << 20;

    MacroExpander(MacroContext &context, Dialogs &dialogs, const Clock &clock)
        : m_context(context), m_dialogs(dialogs), m_clock(clock) {}

    // The characters to type for a macro text, after asking its questions and
    // performing its actions.
    QString expand(const QString &macroText);

    // The text of a file for \f: each line followed by a carriage return;
    // empty for a missing, unreadable or empty file and for anything that is
    // not a regular file.
    static QString fileText(const QString &path);

private:
    QString expandCode(char16_t code, QString &text, qsizetype at);
    QString utcText() const;

    MacroContext &m_context;
    Dialogs &m_dialogs;
    const Clock &m_clock;
};
