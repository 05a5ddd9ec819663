#include "DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList dataDirs() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList dirs;
    dirs << QDir::cleanPath(appDir + QLatin1Char('/') + QStringLiteral(VARNEK_BIN_TO_DATA));
    // Build tree: the binaries are one folder below the build's root.
    dirs << QDir::cleanPath(appDir + QStringLiteral("/../share/varnek"));
    dirs << appDir;
    dirs.removeDuplicates();
    return dirs;
}

QString findDataFile(const QString &relativePath) {
    for (const QString &dir : dataDirs()) {
        const QFileInfo f(QDir(dir).filePath(relativePath));
        if (f.isFile())
            return f.absoluteFilePath();
    }
    return {};
}
