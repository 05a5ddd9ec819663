#pragma once
// Writing the log file on disk. A record reaches the file whole or not at
// all: the operator's log is the one thing of this program worth keeping.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace adif {

// "Varneklog.adi" in the folder the program was started from. The viewer and
// the dialog use this one name, as file names are case-sensitive here.
QString logFilePath(const QString &startupDir);

// Creates (or replaces) the log file with `header`. The new file replaces the
// old one in a single rename, so a failed write never leaves a truncated log.
// Returns the error text to show, empty on success.
QString createLogFile(const QString &path, const QByteArray &header);

// Appends records to an existing log in place. Appending (rather than
// rewriting a copy) keeps the file's identity: a logbook program watching it,
// hard links and permissions stay as they were, and the cost does not grow
// with the log. A write that fails part-way is cut back to the old length.
class LogAppender {
public:
    explicit LogAppender(const QString &path) : m_file(path) {}

    // Opens the file for appending; it must exist already.
    bool open();
    // Writes the record whole; on failure the file keeps its old length.
    bool append(const QByteArray &record);
    void close() { m_file.close(); }
    // The platform's text for the last failure ("File not found" when the
    // file is missing).
    QString errorText() const { return m_error; }

private:
    QFile m_file;
    QString m_error;
};

} // namespace adif
