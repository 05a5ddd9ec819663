#pragma once
// The three texts of the macro help card and the choice among them by the
// interface language (0 English, 1 French, 2 any other language).

#include <QLocale>
#include <QString>

// Lines end with CR LF.
QString helpCardText(int uiLanguage);

// The interface language for a locale, by the same rule the start-up uses:
// French and English only in the regions that have their own Windows
// language abbreviation (FRA, FRC, ENU, ENG, ...); everything else is 2.
int uiLanguageOf(const QLocale &locale);
