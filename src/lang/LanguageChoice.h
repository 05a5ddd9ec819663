#pragma once
// The interface language, chosen once at start-up from the system's default
// locale, and where the language file is looked for.
//
// Language files and the choice were made around the three-letter language
// names of Windows locales ("FRA", "FRC", "ENU", ...). Here the system's
// default locale is QLocale::system(): on Linux and other Unix systems the
// process's locale environment (LC_ALL, else LC_NUMERIC, else LANG), on
// Windows the system's user-default locale. The program's own default locale
// (QLocale::setDefault, the "user locale" of the program) never changes the
// choice.

#include <QLocale>
#include <QString>
#include <QStringList>

namespace UI {
enum Language : int { English = 0, French = 1, Other = 2 };
}

// The language chosen at start-up: 0 English, 1 French, 2 any other. Besides
// the language file it selects the text of the macro help card.
int UILanguage();
void setUILanguage(int language);

// The Windows three-letter name of a language and territory ("FRC" for
// French/Canada); empty for pairs the table does not know, which count as
// "any other language".
QString WindowsLanguageName(QLocale::Language language, QLocale::Territory territory);
// The name for the system's default locale.
QString SystemLanguageName();

struct LanguageChoice {
    int uiLanguage;
    int languageId; // asked of the language file: 1036 French, 1033 otherwise
};
// Compares exactly, letter case included, French names first.
LanguageChoice ChooseLanguage(const QString &windowsName);

// Where the language file may be, in order: beside the program file, bearing
// its name with the extension ".lcf", then in the data folders of that
// program (base/DataPaths.h), found from the program's folder.
QStringList LanguageFileCandidates(const QString &programFile);
