#include "NewsFile.h"

#include <QStringDecoder>

QStringList newsLines(const QByteArray &bytes) {
    // Stateless: a sequence cut short by the end of the file is an error
    // (8-bit text ending in an accented letter), not bytes held back for a
    // next piece that never comes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder latin(QStringDecoder::Latin1);
        text = latin.decode(bytes);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
