#include "TFileCompare.h"

#include "lang/Strings.h"

#include <QFile>
#include <QFileInfo>

QString TFileCompare::checked(const QString &path) {
    if (!QFileInfo(path).isFile())
        throw FileCompareError(path + LcfLoadString(Str::FileDoesNotExist));
    return path;
}

void TFileCompare::SetFile1(const QString &path) {
    m_file1 = checked(path);
}
void TFileCompare::SetFile2(const QString &path) {
    m_file2 = checked(path);
}

bool TFileCompare::Compare() const {
    QFile a(m_file1), b(m_file2);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    if (a.size() != b.size())
        return false;
    // Both contents are read whole; the news files compared here are small
    // (the download refuses anything large).
    return a.readAll() == b.readAll();
}
