#pragma once
// The macro wizard's rules without its window: the eight default macros built
// from the station information, and the way the two multi-line fields are kept
// in one stored string.

#include <QString>
#include <QStringList>
#include <array>

struct StationInfo {
    QString call; // used exactly as typed, not trimmed nor upper-cased
    QString name;
    QString radio;
    QString power;
    QString antenna;
    QString computer;
    QString city;
    QStringList location; // the lines of the location memo
    QString locator;
    QStringList qslInfo; // the lines of the QSL memo
};

// The same as kept under Infos: the memos encoded into one line each.
struct StationInfoText {
    QString name;
    QString radio;
    QString power;
    QString antenna;
    QString computer;
    QString city;
    QString location;
    QString locator;
    QString qslInfo;
};

struct MacroDefinition {
    QString name;
    QString hint;
    QString text;
};

inline constexpr int WizardMacroCount = 8;

// The general call, answer, report, turn-over, end of contact, station,
// location and QSL macros, in that order. The backslash codes are stored as
// they stand.
std::array<MacroDefinition, WizardMacroCount> wizardMacros(const StationInfo &info);

// Each line trimmed and followed by the two characters backslash and n.
QString encodeMemoLines(const QStringList &lines);
// Each backslash and the character after it become CR LF; a backslash at the
// very end stays.
QString decodeMemoText(const QString &stored);
// The lines of a memo's text as the memo counts them: a line break at the very
// end does not start another line, and an empty text has none.
QStringList memoLines(const QString &text);
