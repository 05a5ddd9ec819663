// Writer -> reader round trip of the QSO log. The input is cut at 0x01 bytes into the six
// texts of a contact (UTF-8, invalid sequences replaced); the record written for it, followed
// by a plain second record, must read back as exactly two rows whose cells are the stored
// texts after the writer's own rules (trimmed call and name, Windows-1252, line breaks as
// blanks, the band from the frequency). Any difference aborts, which libFuzzer reports.

#include "log/AdifReader.h"
#include "log/AdifText.h"
#include "log/AdifWriter.h"
#include "log/BandRule.h"

#include <QDateTime>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The text as the file holds it.
QString stored(const QString &text) {
    QString out = adif::fromLogBytes(adif::toLogBytes(text));
    out.replace(u'\r', u' ').replace(u'\n', u' ');
    return out;
}

void expect(const QString &what, const QString &got, const QString &wanted) {
    if (got == wanted)
        return;
    std::fprintf(stderr, "%s: read back \"%s\", stored \"%s\"\n", qPrintable(what), qPrintable(got),
                 qPrintable(wanted));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
            .split('\x01');
    QString text[6];
    for (qsizetype i = 0; i < parts.size() && i < 6; ++i)
        text[i] = QString::fromUtf8(parts[i]);
    const adif::Contact contact{text[0], text[1], text[2], text[3], text[4], text[5]};

    const QDateTime utc(QDate(2026, 12, 10), QTime(13, 12), Qt::UTC);
    adif::Contact next;
    next.call = QStringLiteral("G4BBB");
    const QByteArray file = adif::header() + adif::record(contact, utc) + adif::record(next, utc);
    const adif::LogContents log = adif::parseLog(file);

    expect(QStringLiteral("error"), log.error, QString());
    expect(QStringLiteral("rows"), QString::number(log.rows.size()), QStringLiteral("2"));
    const adif::LogRow &row = log.rows[0];
    expect(QStringLiteral("call"), row.call, adif::trimText(stored(adif::trimText(contact.call))));
    expect(QStringLiteral("name"), row.name, adif::trimText(stored(adif::trimText(contact.name))));
    expect(QStringLiteral("band"), row.band, adif::trimText(stored(BandFromFrequency(contact.frequency))));
    expect(QStringLiteral("rcvd"), row.rcvd, adif::trimText(stored(contact.rstReceived)));
    expect(QStringLiteral("sent"), row.sent, adif::trimText(stored(contact.rstSent)));
    expect(QStringLiteral("comment"), row.comment, stored(contact.comment));
    expect(QStringLiteral("date"), row.date, QStringLiteral("10/12/2026"));
    expect(QStringLiteral("time"), row.time, QStringLiteral("13:12"));
    expect(QStringLiteral("mode"), row.mode, QStringLiteral("PSK31"));
    expect(QStringLiteral("second call"), log.rows[1].call, QStringLiteral("G4BBB"));
    return 0;
}
