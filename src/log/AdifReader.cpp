#include "AdifReader.h"

#include "AdifText.h"
#include "lang/Strings.h"

#include <QFile>
#include <QFileInfo>

namespace adif {
namespace {

// Lines of a text ending in CR LF, LF or CR alone.
class Lines {
public:
    explicit Lines(QStringView text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    QStringView next() {
        const qsizetype start = m_pos;
        qsizetype end = start;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        m_pos = end;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;
        return m_text.sliced(start, end - start);
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isDecimal(QStringView s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// An integer as the year rule reads it: an optional sign, then digits.
bool readInteger(QStringView s, int &value) {
    const QStringView digits = (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) ? s.sliced(1) : s;
    if (!isDecimal(digits))
        return false;
    value = s.toInt();
    return true;
}

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

// The fields the viewer shows, in the order of LogRow's first nine members.
constexpr const char16_t *kFieldNames[] = {u"CALL", u"NAME",     u"QSO_DATE", u"TIME_ON", u"BAND",
                                           u"MODE", u"RST_RCVD", u"RST_SENT", u"COMMENT"};
constexpr int kFieldCount = 9;

// Reads the records from `text` tag by tag. A tag is "<NAME:length[:type]>" (or "<NAME>"),
// with no "<" or line break inside it. A value is taken by its length whenever that many
// characters remain on the line (the writer never puts a line break into a value), so a
// value holding tag text such as "<EOR>" or "<QSO_DATE:6>" stays inside its field. A value
// whose length is missing or does not fit runs to the next "<", line breaks left out, as
// older versions read it. "<EOR>" (upper case) ends a record; tag names are compared
// exactly, so lower-case tags are passed over, and the first occurrence of a field counts.
class RecordScanner {
public:
    explicit RecordScanner(QStringView text) : m_text(text) {}

    // False at the end of the text; otherwise the values of the next record (empty where
    // the field is missing).
    bool next(QString (&values)[kFieldCount]) {
        for (QString &v : values)
            v.clear();
        bool seen[kFieldCount] = {};
        const qsizetype begin = m_pos;
        while (m_pos < m_text.size()) {
            const qsizetype lt = m_text.indexOf(u'<', m_pos);
            if (lt < 0) {
                m_pos = m_text.size();
                break;
            }
            qsizetype close = lt + 1;
            while (close < m_text.size() && m_text[close] != u'>' && m_text[close] != u'<' &&
                   !isLineBreak(m_text[close]))
                ++close;
            if (close >= m_text.size() || m_text[close] != u'>') {
                m_pos = lt + 1; // not a tag: plain text
                continue;
            }
            const QStringView inside = m_text.sliced(lt + 1, close - lt - 1);
            const qsizetype colon = inside.indexOf(u':');
            const QStringView name = colon < 0 ? inside : inside.first(colon);
            m_pos = close + 1;
            if (colon < 0) {
                if (name == u"EOR")
                    return true;
                continue; // a tag without a value
            }
            QString value = readValue(inside.sliced(colon + 1));
            for (int i = 0; i < kFieldCount; ++i) {
                if (!seen[i] && name == QStringView(kFieldNames[i])) {
                    seen[i] = true;
                    values[i] = std::move(value);
                    break;
                }
            }
        }
        // The text after the last "<EOR>" is a record when it holds more than blanks.
        return !trimText(m_text.sliced(begin, m_pos - begin)).isEmpty();
    }

private:
    // The value after the tag just read (m_pos is right after its ">"); moves past it.
    QString readValue(QStringView spec) {
        if (const qsizetype colon = spec.indexOf(u':'); colon >= 0)
            spec = spec.first(colon);
        if (isDecimal(spec)) {
            bool ok = false;
            const qsizetype length = spec.toLongLong(&ok);
            qsizetype lineEnd = m_pos;
            while (lineEnd < m_text.size() && !isLineBreak(m_text[lineEnd]))
                ++lineEnd;
            if (ok && length <= lineEnd - m_pos) {
                const QString value = m_text.sliced(m_pos, length).toString();
                m_pos += length;
                return value;
            }
        }
        const qsizetype next = m_text.indexOf(u'<', m_pos);
        if (next < 0) {
            // Nothing follows to end the value: as before, it is empty.
            m_pos = m_text.size();
            return {};
        }
        QString value = m_text.sliced(m_pos, next - m_pos).toString();
        value.remove(u'\r').remove(u'\n');
        m_pos = next;
        return value;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

QString fieldValue(QStringView record, QStringView tag) {
    const qsizetype at = record.indexOf(tag);
    if (at < 0)
        return {};
    const qsizetype close = record.indexOf(u'>', at + 1);
    const qsizetype start = close < 0 ? at + 1 : close + 1;
    if (close >= 0) {
        // Between the tag text and ">": the length, then maybe ":type".
        QStringView spec = record.sliced(at + tag.size(), close - at - tag.size());
        if (const qsizetype colon = spec.indexOf(u':'); colon >= 0)
            spec = spec.first(colon);
        if (isDecimal(spec)) {
            bool ok = false;
            const qsizetype length = spec.toLongLong(&ok);
            if (ok && length <= record.size() - start)
                return record.sliced(start, length).toString();
        }
    }
    const qsizetype end = record.indexOf(u'<', start);
    if (end < 0)
        return {};
    return record.sliced(start, end - start).toString();
}

bool dateCell(const QString &value, QString &cell, QString &error) {
    if (value.size() == 8) {
        cell = value.mid(6, 2) + u'/' + value.mid(4, 2) + u'/' + value.left(4);
        return true;
    }
    if (value.size() == 6) {
        const QString yy = value.left(2);
        int year = 0;
        if (!readInteger(yy, year)) {
            error = LcfLoadString(Str::NotValidInteger).replace(QLatin1String("%s"), yy);
            return false;
        }
        cell = value.mid(4, 2) + u'/' + value.mid(2, 2) + u'/' +
               (year <= 25 ? QStringLiteral("20") : QStringLiteral("19")) + yy;
        return true;
    }
    cell = value;
    return true;
}

QString timeCell(const QString &value) {
    return value.left(2) + u':' + value.mid(2, 2);
}

LogContents parseLog(QByteArrayView bytes) {
    LogContents out;
    const QString text = fromLogBytes(bytes);
    Lines lines(text);
    if (lines.atEnd())
        return out;

    QStringView pending = lines.next();
    if (!trimText(pending).startsWith(u'<')) {
        bool headerEnded = false;
        while (!headerEnded && !lines.atEnd())
            headerEnded = trimText(lines.next()).compare(u"<EOH>", Qt::CaseInsensitive) == 0;
        if (!headerEnded) {
            // No end of header anywhere: rather than show an empty log, take
            // the file for records, which is what it most likely holds.
            lines = Lines(text);
            pending = lines.next();
        } else if (lines.atEnd()) {
            return out;
        } else {
            pending = lines.next();
        }
    }

    // The records start with the pending line, wherever in the text it is.
    const qsizetype recordsStart = pending.data() - QStringView(text).data();
    RecordScanner records(QStringView(text).sliced(recordsStart));
    QString v[kFieldCount];
    while (records.next(v)) {
        for (int i = 0; i < 8; ++i)
            v[i] = trimText(v[i]);
        LogRow row;
        if (!dateCell(v[2], row.date, out.error))
            break;
        row.call = v[0];
        row.name = v[1];
        row.time = timeCell(v[3]);
        row.band = v[4];
        row.mode = v[5];
        row.rcvd = v[6];
        row.sent = v[7];
        row.comment = v[8];
        out.rows.push_back(std::move(row));
    }
    return out;
}

LogContents readLogFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LogContents out;
        out.error = QFileInfo::exists(path) ? file.errorString() : LcfLoadString(Str::FileNotFound);
        return out;
    }
    const QByteArray bytes = file.readAll();
    LogContents out = parseLog(bytes);
    if (file.error() != QFileDevice::NoError && out.error.isEmpty())
        out.error = file.errorString();
    return out;
}

} // namespace adif
