#include "DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList dataDirs(const QString &appDir) {
    QStringList dirs;
    dirs << QDir::cleanPath(appDir + QLatin1Char('/') + QStringLiteral(VARNEK_BIN_TO_DATA));
    // Build tree: the binaries are one folder below the build's root.
    dirs << QDir::cleanPath(appDir + QStringLiteral("/../share/varnek"));
    dirs << QDir::cleanPath(appDir);
    dirs.removeDuplicates();
    return dirs;
}

QStringList dataDirs() {
    return dataDirs(QCoreApplication::applicationDirPath());
}

QString findDataFile(const QString &relativePath, const QStringList &dirs) {
    for (const QString &dir : dirs) {
        const QFileInfo f(QDir(dir).filePath(relativePath));
        if (f.isFile())
            return f.absoluteFilePath();
    }
    return {};
}

QString findDataFile(const QString &relativePath) {
    return findDataFile(relativePath, dataDirs());
}
