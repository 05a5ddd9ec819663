#pragma once
// Reading the log file back for the log viewer: the header, the records and
// the fields VARNEK writes, with the dates and times as the viewer shows them.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <vector>

namespace adif {

// One record as the viewer's row shows it: values trimmed (the comment is kept
// as found), the date as day/month/year and the time as hours:minutes.
struct LogRow {
    QString call, date, time, band, mode, rcvd, sent, name, comment;
};

struct LogContents {
    std::vector<LogRow> rows; // the records read before any error
    QString error;            // the message that ended loading, empty if none
};

// The value of one field of a record text, `tag` being its opening such as
// "<CALL:" (compared exactly, so a lower-case tag is not found). When the tag
// carries a length that fits in the record, the value is that many
// characters, so a value holding "<" comes back whole. Otherwise the value
// runs from the tag's ">" to the next "<", as older VARNEK versions read it;
// with no "<" after it the value is empty.
QString fieldValue(QStringView record, QStringView tag);

// "yyyymmdd" and "yymmdd" as "dd/mm/yyyy"; a two-digit year of 25 or less is
// 20yy, otherwise 19yy. A value of any other length is shown as it stands.
// Returns false, with `error` set, when a two-digit year is not a number.
bool dateCell(const QString &value, QString &cell, QString &error);

// "hhnn" (seconds after it dropped) as "hh:nn".
QString timeCell(const QString &value);

// Reads a whole log. A file that starts with a line not beginning with "<"
// has a header up to the line "<EOH>"; when no such line comes, the file is
// read again as records from its first line, so its contents still show.
LogContents parseLog(QByteArrayView bytes);

// Opens and reads the log file; a failure to open or read is in `error`
// ("File not found" for a missing file), after the rows read before it.
LogContents readLogFile(const QString &path);

} // namespace adif
