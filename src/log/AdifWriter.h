#pragma once
// The bytes of the log file "Varneklog.adi": its header and one record per
// contact, in the fixed ADIF 1.00 layout other logbooks import.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace adif {

// One contact as the ADIF dialog holds it. The texts are taken as typed; the
// writer applies the record's rules (call and name trimmed, the band derived
// from the frequency text).
struct Contact {
    QString call;
    QString name;
    QString frequency;
    QString rstReceived;
    QString rstSent;
    QString comment;
};

// The seven header lines, each ending in CR LF.
QByteArray header();

// The record's two lines, each ending in CR LF. Date and time come from
// `utc`, the moment the record is saved; the mode is always PSK31.
QByteArray record(const Contact &contact, const QDateTime &utc);

} // namespace adif
