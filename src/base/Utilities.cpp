#include "Utilities.h"

#include "Dialogs.h"
#include "lang/Strings.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

void Delay(uint32_t ms) {
    // A local event loop handles messages as they arrive instead of spinning.
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunProgram(const QString &commandLine, Dialogs *dialogs) {
    QStringList args = QProcess::splitCommand(commandLine);
    bool started = false;
    if (!args.isEmpty()) {
        const QString program = args.takeFirst();
        started = QProcess::startDetached(program, args);
    }
    if (!started && dialogs)
        dialogs->message(
            Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
            LcfLoadString(Str::CannotStartProgram).replace(QLatin1String("%s"), commandLine.trimmed()));
    return started;
}

void DivMod(uint32_t dividend, uint16_t divisor, uint16_t &quotient, uint16_t &remainder) {
    if (divisor == 0) {
        quotient = 0;
        remainder = 0;
        return;
    }
    quotient = static_cast<uint16_t>(dividend / divisor);
    remainder = static_cast<uint16_t>(dividend % divisor);
}

namespace {

QString dateSeparator(const QLocale &locale) {
    // The locale's short date format tells which separator it uses.
    // The first separator between the numeric fields of the short date; a
    // locale whose short date has none (month names, blanks) keeps "/".
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    for (QChar c : f) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'') && c != QLatin1Char(','))
            return QString(c);
    }
    return QStringLiteral("/");
}

QString timeSeparator(const QLocale &locale) {
    const QString f = locale.timeFormat(QLocale::ShortFormat);
    for (QChar c : f) {
        if (!c.isLetter() && c != QLatin1Char(' '))
            return QString(c);
    }
    return QStringLiteral(":");
}

// The locale's long time without its time zone: the zone a locale names is the
// system's at this moment, not that of the time being formatted.
QString longTimeFormat(const QLocale &locale) {
    const QString f = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : f) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.trimmed();
}

int runLength(const QString &p, int i) {
    const QChar c = p.at(i).toLower();
    int n = 0;
    while (i + n < p.size() && p.at(i + n).toLower() == c)
        ++n;
    return n;
}

} // namespace

QString FormatDateTime(const QString &pattern, const QDateTime &t, const QLocale &locale) {
    QString out;
    const QDate d = t.date();
    const QTime tm = t.time();
    bool afterHour = false;
    int i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = pattern.indexOf(c, i + 1);
            const int stop = end < 0 ? pattern.size() : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (c == QLatin1Char('/')) {
            out += dateSeparator(locale);
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            out += timeSeparator(locale);
            ++i;
            continue;
        }
        const int n = runLength(pattern, i);
        if (lc == QLatin1Char('y')) {
            out += n <= 2 ? QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0'))
                          : QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
            afterHour = false;
        } else if (lc == QLatin1Char('m') && afterHour && n <= 2) {
            out += n == 1 ? QString::number(tm.minute())
                          : QStringLiteral("%1").arg(tm.minute(), 2, 10, QLatin1Char('0'));
            afterHour = false;
        } else if (lc == QLatin1Char('m')) {
            if (n == 1)
                out += QString::number(d.month());
            else if (n == 2)
                out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
            else if (n == 3)
                out += locale.monthName(d.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(d.month(), QLocale::LongFormat);
        } else if (lc == QLatin1Char('d')) {
            if (n == 1)
                out += QString::number(d.day());
            else if (n == 2)
                out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
            else if (n == 3)
                out += locale.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
            afterHour = false;
        } else if (lc == QLatin1Char('h')) {
            out += n == 1 ? QString::number(tm.hour())
                          : QStringLiteral("%1").arg(tm.hour(), 2, 10, QLatin1Char('0'));
            afterHour = true;
        } else if (lc == QLatin1Char('n')) {
            out += n == 1 ? QString::number(tm.minute())
                          : QStringLiteral("%1").arg(tm.minute(), 2, 10, QLatin1Char('0'));
            afterHour = false;
        } else if (lc == QLatin1Char('s')) {
            out += n == 1 ? QString::number(tm.second())
                          : QStringLiteral("%1").arg(tm.second(), 2, 10, QLatin1Char('0'));
            afterHour = false;
        } else if (lc == QLatin1Char('c') && n == 1) {
            out += locale.toString(d, QLocale::ShortFormat);
            if (tm != QTime(0, 0))
                out += QLatin1Char(' ') + locale.toString(tm, longTimeFormat(locale));
        } else {
            out += pattern.mid(i, n);
        }
        i += n;
    }
    return out;
}

QString dateFormatPattern(int dateFormat) {
    static const char *const patterns[] = {"c",           "dd/mm/yy",     "dd/mm/yyyy",
                                           "dd mmm yyyy", "dd mmmm yyyy", "dddd d mmmm yyyy"};
    if (dateFormat < 0 || dateFormat > 5)
        return {};
    return QString::fromLatin1(patterns[dateFormat]);
}
