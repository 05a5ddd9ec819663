#include "modem/TextFileReader.h"

namespace {
constexpr qint64 ChunkSize = 64 * 1024;
}

TextFileReader::TextFileReader(const QString &path) : m_file(path) {}

bool TextFileReader::open() {
    return m_file.open(QIODevice::ReadOnly);
}

bool TextFileReader::fill() {
    if (m_eof)
        return false;
    const QByteArray bytes = m_file.read(ChunkSize);
    if (bytes.isEmpty()) {
        m_failed = m_file.error() != QFileDevice::NoError;
        m_eof = true;
        return false;
    }
    if (!m_decided) {
        m_decided = true;
        QStringDecoder probe(QStringDecoder::Utf8);
        const QString text = probe.decode(bytes);
        if (!probe.hasError() && text.size() != bytes.size()) {
            m_utf8.emplace(QStringDecoder::Utf8);
            m_buffer = m_utf8->decode(bytes);
            m_pos = 0;
            return true;
        }
    }
    m_buffer = m_utf8 ? m_utf8->decode(bytes) : QString::fromLatin1(bytes);
    m_pos = 0;
    return true;
}

int TextFileReader::next() {
    while (!m_done) {
        if (m_pos >= m_buffer.size() && !fill()) {
            m_done = true;
            if (m_failed)
                return -1;
            // The last line ends with a carriage return even without a line
            // end in the file, and so does an empty file.
            return m_sawAny && m_atLineStart ? -1 : 13;
        }
        if (m_pos >= m_buffer.size())
            continue;
        const char16_t c = m_buffer.at(m_pos++).unicode();
        m_sawAny = true;
        if (c == u'\n' && m_skipLineFeed) {
            m_skipLineFeed = false;
            continue;
        }
        m_skipLineFeed = c == u'\r';
        if (c == u'\r' || c == u'\n') {
            m_atLineStart = true;
            return 13;
        }
        m_atLineStart = false;
        return c <= 0xFF ? c : '?';
    }
    return -1;
}
