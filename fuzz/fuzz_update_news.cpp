// The news file comes from a web server: arbitrary bytes are split into the
// copy kept from the last check and the one just fetched. The comparison must
// say "changed" exactly when the bytes differ, and the notice window's lines
// must come out of any bytes, none of them holding a line end.

#include "update/NewsFile.h"
#include "update/TFileCompare.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void check(bool holds) {
    if (!holds)
        __builtin_trap();
}

bool write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static QTemporaryDir dir;
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first byte says where the old copy ends.
    const qsizetype split = input.isEmpty() ? 0 : qMin<qsizetype>(uint8_t(input[0]), input.size() - 1);
    const QByteArray old = input.mid(1, split);
    const QByteArray fetched = input.mid(1 + split);

    const QString oldPath = dir.filePath(QStringLiteral("update_us.old"));
    const QString newPath = dir.filePath(QStringLiteral("update_us.txt"));
    check(write(oldPath, old) && write(newPath, fetched));
    TFileCompare compare;
    compare.SetFile1(newPath);
    compare.SetFile2(oldPath);
    check(compare.Compare() == (old == fetched));

    const QStringList lines = newsLines(fetched);
    for (const QString &line : lines)
        check(!line.contains(QLatin1Char('\n')));
    // Only a file without text has no caption.
    check(!lines.isEmpty() || fetched.isEmpty() || fetched == "\xEF\xBB\xBF");
    return 0;
}
