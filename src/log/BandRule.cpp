#include "BandRule.h"

namespace {

// Digits before the first non-digit.
qsizetype leadingDigits(const QString &s) {
    qsizetype n = 0;
    while (n < s.size() && s.at(n).isDigit() && s.at(n).unicode() < 0x80)
        ++n;
    return n;
}

bool oneOf(const QString &s, std::initializer_list<const char *> options) {
    for (const char *o : options) {
        if (s == QLatin1String(o))
            return true;
    }
    return false;
}

} // namespace

QString BandFromFrequency(const QString &typed) {
    // Frequencies typed with a decimal comma ("14,070", the French way) are read as with a
    // point.
    QString frequency = typed;
    frequency.replace(QLatin1Char(','), QLatin1Char('.'));
    // A text shorter than the compared length is compared whole.
    const QString f1 = frequency.left(1);
    const QString f2 = frequency.left(2);
    const QString f3 = frequency.left(3);

    if (f1 == QLatin1String("3"))
        return QStringLiteral("80m");
    if (f1 == QLatin1String("4"))
        return oneOf(f2, {"43", "44"}) ? QStringLiteral("70cm") : QString();
    if (f1 == QLatin1String("5"))
        return QStringLiteral("6m");
    if (f1 == QLatin1String("7"))
        return QStringLiteral("40m");
    if (f2 == QLatin1String("1."))
        return oneOf(f3, {"1.8", "1.9"}) ? QStringLiteral("160m") : QString();
    if (f2 == QLatin1String("10"))
        return QStringLiteral("30m");
    if (f2 == QLatin1String("14")) {
        if (oneOf(f3, {"14", "14.", "14 ", "140", "141", "142", "143"}))
            return QStringLiteral("20m");
        if (oneOf(f3, {"144", "145", "146", "147", "148"}))
            return QStringLiteral("2m");
        return f3;
    }
    // 160 m typed in kilohertz, like the dialog's own first preset "1838.15":
    // four whole digits from 1800 to 1999. Compared on the leading two alone
    // it would be taken for 17 m (18.1 MHz, 18100 kHz).
    if (oneOf(f2, {"18", "19"}) && leadingDigits(frequency) == 4)
        return QStringLiteral("160m");
    if (f2 == QLatin1String("18"))
        return QStringLiteral("17m");
    if (f1 == QLatin1String("1"))
        return f2;
    if (f2 == QLatin1String("21"))
        return QStringLiteral("15m");
    if (f2 == QLatin1String("24"))
        return QStringLiteral("12m");
    if (oneOf(f2, {"28", "29"}))
        return QStringLiteral("10m");
    if (f1 == QLatin1String("2"))
        return f2;
    return f1;
}
