#include "LogFile.h"

#include "lang/Strings.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace adif {

QString logFilePath(const QString &startupDir) {
    return QDir(startupDir).filePath(QStringLiteral("Varneklog.adi"));
}

QString createLogFile(const QString &path, const QByteArray &header) {
    QSaveFile file(path);
    // Unbuffered, so a full disk shows in write() with the system's own reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    qint64 done = 0;
    while (done < header.size()) {
        // A full disk may take part of the header; the next write then says why it took
        // no more.
        const qint64 n = file.write(header.constData() + done, header.size() - done);
        if (n <= 0) {
            const QString error = file.errorString();
            file.cancelWriting();
            return error;
        }
        done += n;
    }
    // commit() can report success after its own buffered write failed (a full disk), so
    // the buffer is written out first, where a failure is seen.
    if (!file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

bool LogAppender::open() {
    // Unbuffered, so each write reaches the system at once and a failure is
    // seen here rather than in a later flush after the length was restored.
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly |
                    QIODevice::Unbuffered))
        return true;
    m_error = QFileInfo::exists(m_file.fileName()) ? m_file.errorString() : LcfLoadString(Str::FileNotFound);
    return false;
}

bool LogAppender::append(const QByteArray &record) {
    const qint64 oldSize = m_file.size();
    qint64 done = 0;
    while (done < record.size()) {
        // A full disk may take part of the record; the next write then
        // reports why it took no more.
        const qint64 n = m_file.write(record.constData() + done, record.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == record.size())
        return true;
    m_error = m_file.errorString();
    if (!m_file.resize(oldSize))
        m_error += QLatin1Char('\n') + m_file.errorString();
    return false;
}

} // namespace adif
