#pragma once
// The three texts of the macro help card and the choice among them by the
// interface language (0 English, 1 French, 2 any other language).

#include <QString>

// Lines end with CR LF.
QString helpCardText(int uiLanguage);
