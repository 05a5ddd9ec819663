#pragma once
// Reads a text file for sending, one character code at a time: the text of
// every line followed by a carriage return (13), whatever line ends the file
// uses, and a lone carriage return for an empty file. Files are read in
// pieces, so a file of any size costs little memory.
//
// Files in UTF-8 (recognised from their beginning) are decoded; anything else
// is taken byte by byte as 8-bit text. Characters beyond 8 bits become '?'.

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <optional>

class TextFileReader {
public:
    explicit TextFileReader(const QString &path);

    bool open();
    // The next character code (0..255), or -1 at the end of the file or
    // after a read error.
    int next();
    bool failed() const { return m_failed; }
    QString errorString() const { return m_file.errorString(); }

private:
    bool fill();

    QFile m_file;
    std::optional<QStringDecoder> m_utf8; // set when the file is UTF-8
    bool m_decided = false;
    QString m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_sawAny = false;
    bool m_atLineStart = true; // nothing of the present line sent yet
    bool m_skipLineFeed = false;
    bool m_done = false;
};
