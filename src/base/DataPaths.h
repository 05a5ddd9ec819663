#pragma once
// Where the program's data files (the help, the language file) are found.
//
// Installed, they sit in <prefix>/share/varnek beside <prefix>/bin; the build
// tree mirrors that layout (build/share/varnek beside build/src and
// build/tests), so the program and its tests find them the same way. The
// program's own folder comes last, where a copied-around program keeps them.

#include <QString>
#include <QStringList>

QStringList dataDirs();
// The first existing file of that name under dataDirs(); empty when none.
QString findDataFile(const QString &relativePath);
