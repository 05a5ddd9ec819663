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

    static const char16_t *const tags[] = {u"<CALL:", u"<NAME:",     u"<QSO_DATE:", u"<TIME_ON:", u"<BAND:",
                                           u"<MODE:", u"<RST_RCVD:", u"<RST_SENT:", u"<COMMENT:"};
    for (;;) {
        QString record = pending.toString();
        bool ended = pending.contains(u"<EOR>");
        while (!ended && !lines.atEnd()) {
            const QStringView line = lines.next();
            record += line;
            ended = line.contains(u"<EOR>");
        }
        if (trimText(record).isEmpty())
            break;

        QString v[9];
        for (int i = 0; i < 9; ++i)
            v[i] = fieldValue(record, QStringView(tags[i]));
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

        if (lines.atEnd())
            break;
        pending = lines.next();
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
