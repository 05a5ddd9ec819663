#pragma once
// Where the program's data files (the help, the language file) are found.
//
// Installed, they sit in <prefix>/share/varnek beside <prefix>/bin; the build
// tree mirrors that layout (build/share/varnek beside build/src and
// build/tests), so the program and its tests find them the same way. The
// program's own folder comes last, where a copied-around program keeps them.
// Every place is taken from the program's folder, never from the prefix the
// build was configured for, so an installed tree moved elsewhere still works.

#include <QString>
#include <QStringList>

// The folders looked in, in order, for a program in appDir.
QStringList dataDirs(const QString &appDir);
// The same for this program.
QStringList dataDirs();
// The first existing file of that name under dirs; empty when none.
QString findDataFile(const QString &relativePath, const QStringList &dirs);
QString findDataFile(const QString &relativePath);
