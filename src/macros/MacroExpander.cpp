#include "MacroExpander.h"

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/Utilities.h"
#include "lang/Strings.h"
#include "log/AdifText.h"
#include "modem/TextFileReader.h"

#include <QFileInfo>

namespace {

// The order is part of the language: it decides which questions come first and
// which codes a file or a call sign may carry.
constexpr char16_t CodeOrder[] = u"cdfghimnrtuvwxz";

// The file name after \f: its first character whatever it is, then up to the
// first blank or control character.
QString takeFileName(QString &text, qsizetype at) {
    if (at >= text.size())
        return {};
    qsizetype end = at + 1;
    while (end < text.size() && text.at(end).unicode() >= 33)
        ++end;
    QString name = text.mid(at, end - at);
    text.remove(at, end - at);
    return name;
}

} // namespace

QString MacroExpander::expand(const QString &macroText) {
    QString text = macroText;
    for (const char16_t code : CodeOrder) {
        if (code == 0)
            break;
        const QString token = QStringLiteral("\\") + QChar(code);
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = text.indexOf(token, from);
            if (at < 0)
                break;
            text.remove(at, 2);
            const QString inserted = expandCode(code, text, at);
            text.insert(at, inserted);
            from = at + inserted.size();
        }
    }
    return text;
}

QString MacroExpander::expandCode(char16_t code, QString &text, qsizetype at) {
    switch (code) {
    case u'c':
        if (m_context.hisCall().isEmpty())
            m_context.setHisCall(m_dialogs.askText(LcfLoadString(Str::CallsignMissingCaption),
                                                   LcfLoadString(Str::EnterStationCallsign), QString()));
        return adif::trimText(m_context.hisCall());
    case u'd':
        return FormatDateTime(m_context.dateFormatPattern(), m_clock.localNow(), m_context.locale());
    case u'f': {
        const QString name = takeFileName(text, at);
        if (name.isEmpty())
            return {};
        return fileText(m_context.programFolder() + QLatin1Char('/') + name);
    }
    case u'g': {
        const int hour = m_clock.localNow().time().hour();
        return LcfLoadString(hour < 12   ? Str::GoodMorning
                             : hour < 18 ? Str::GoodAfternoon
                                         : Str::GoodEvening);
    }
    case u'h':
        return adif::trimText(m_context.hisName());
    case u'i':
        return QStringLiteral("\t");
    case u'm':
        return m_context.myCall();
    case u'n':
        return QStringLiteral("\r");
    case u'r':
        if (m_context.hisRep().isEmpty())
            m_context.setHisRep(m_dialogs.askText(LcfLoadString(Str::ReportMissingCaption),
                                                  LcfLoadString(Str::EnterStationReport), QString()));
        return adif::trimText(m_context.hisRep());
    case u't':
        if (!m_context.tuning())
            m_context.keyTransmitter();
        return {};
    case u'u':
        return utcText();
    case u'v':
        return FormatDateTime(QStringLiteral("hh:nn"), m_clock.localNow(), m_context.locale());
    case u'w':
        m_context.clearReceivePane();
        return {};
    case u'x':
        return QStringLiteral("\r") + LcfLoadString(Str::EndOfQso) + utcText();
    case u'z':
        return QString(QChar(3));
    default:
        return {};
    }
}

QString MacroExpander::utcText() const {
    return FormatDateTime(QStringLiteral("hh:nn \"UTC\""), m_clock.utcNow(), m_context.locale());
}

QString MacroExpander::fileText(const QString &path) {
    // Only regular files: a device or a pipe would never end or would block.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return {};
    TextFileReader reader(path);
    if (!reader.open())
        return {};
    QString out;
    for (int c = reader.next(); c >= 0 && out.size() < MaxFileChars; c = reader.next())
        out += QChar(c);
    return out;
}
