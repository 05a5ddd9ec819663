#include "WizardMacros.h"

#include "log/AdifText.h"

namespace {

const QString NL = QStringLiteral("\\n");

QString trimmedLines(const QStringList &lines) {
    QString out;
    for (const QString &line : lines)
        out += adif::trimText(line) + NL;
    return out;
}

} // namespace

std::array<MacroDefinition, WizardMacroCount> wizardMacros(const StationInfo &info) {
    const QString &c = info.call;
    const QString threeCalls = c + QLatin1Char(' ') + c + QLatin1Char(' ') + c;
    const QString cq = QStringLiteral("cq cq cq de ") + threeCalls;

    return {{
        {QStringLiteral("CQ CQ..."), QStringLiteral("General call CQ "),
         QStringLiteral("\\n\\t") + cq + NL + cq + NL + cq + QStringLiteral("\\nar pse kkk \\i\\z\\n\\n")},
        {QStringLiteral("ANSWER"), QStringLiteral("Simple answer"),
         QStringLiteral("\\n\\c \\c de \\m \\m kkk...")},
        {QStringLiteral("REPORT"), QStringLiteral("Your report is..."),
         QStringLiteral("\\n\\c \\c \\c de \\m \\m \\m ur report is \\r \\r \\r\\n")},
        {QStringLiteral("BTU"), QStringLiteral("Back to you..."), QStringLiteral("\\nBTU de \\m \\m kkk\\n")},
        {QStringLiteral("END OF QSO"), QStringLiteral("Hope to see you again etc."),
         QStringLiteral(
             "\\nThank you very much for this QSO\\nHope to cuagn soon on PSK31\\n73's and good dx dr OM "
             "\\h\\nde Q9ZZV... 73's \\i\\z\\n")},
        {QStringLiteral("STATION"), QStringLiteral("My equipment here is..."),
         QStringLiteral("\\nEquipment here is as follows :\\n- Transceiver is a ") + info.radio + NL +
             QStringLiteral("- Power is approximately ") + info.power + QStringLiteral(" Watts in a ") +
             info.antenna + NL + QStringLiteral("- Computer is a ") + info.computer + NL +
             QStringLiteral("- Software is VARNEK v1.6a by Q9ZZV.\\n\\n")},
        {QStringLiteral("MY QTH"), QStringLiteral("Name and description of my QTH"),
         QStringLiteral("\\nName here is ") + info.name + NL + QStringLiteral("QTH is ") + info.city + NL +
             trimmedLines(info.location) + QStringLiteral("QTH Locator is ") + info.locator +
             QStringLiteral("\\n\\n")},
        {QStringLiteral("QSL INFO"), QStringLiteral("QSL informations (manager)"),
         QStringLiteral("\\nPlease QSL via this address :\\n\\n") + trimmedLines(info.qslInfo) + NL},
    }};
}

QString encodeMemoLines(const QStringList &lines) {
    return trimmedLines(lines);
}

QString decodeMemoText(const QString &stored) {
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == QLatin1Char('\\') && i + 1 < stored.size()) {
            out += QStringLiteral("\r\n");
            ++i;
        } else {
            out += stored.at(i);
        }
    }
    return out;
}

QStringList memoLines(const QString &text) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (ch == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}
