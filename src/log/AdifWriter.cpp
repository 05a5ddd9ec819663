#include "AdifWriter.h"

#include "AdifText.h"
#include "BandRule.h"

#include <QLocale>

namespace adif {
namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");

// "<PREFIX:n>value " with n counting the value's bytes in the file. A line
// break inside a value would split the record over more lines than the
// reader's record rule expects, so it is written as a blank (same length).
QByteArray field(const char *prefix, const QString &value) {
    QByteArray bytes = toLogBytes(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    return QByteArray(prefix) + QByteArray::number(bytes.size()) + '>' + bytes + ' ';
}

} // namespace

QByteArray header() {
    // Lines 3 to 5 are free text; none may begin with "<", or a reader would
    // take the header for a record.
    static const char *const lines[] = {
        "ADIF Export from VARNEK version 1.6a",
        "<ADIF_VER:4>1.00",
        "VARNEK (C) Q9ZZV Software, all rights reserved",
        "E-mail: varnek@q9zzv-software.example",
        "www.q9zzv-software.example",
        "<EOH>",
        "",
    };
    QByteArray out;
    for (const char *line : lines)
        out += QByteArray(line) + CrLf;
    return out;
}

QByteArray record(const Contact &c, const QDateTime &utc) {
    const QLocale cLocale = QLocale::c();
    const QByteArray date = cLocale.toString(utc.date(), QStringLiteral("yyyyMMdd")).toLatin1();
    const QByteArray time = cLocale.toString(utc.time(), QStringLiteral("HHmm")).toLatin1();
    QByteArray out;
    out += field("<CALL:", trimText(c.call));
    out += field("<NAME:", trimText(c.name));
    out += "<QSO_DATE:8:D>" + date + ' ';
    out += "<TIME_ON:4>" + time + ' ';
    out += field("<BAND:", BandFromFrequency(c.frequency));
    out += CrLf;
    out += "<MODE:5>PSK31 ";
    out += field("<RST_RCVD:", c.rstReceived);
    out += field("<RST_SENT:", c.rstSent);
    out += field("<COMMENT:", c.comment);
    out += "<EOR>" + CrLf;
    return out;
}

} // namespace adif
