// Writes a log the way the ADIF dialog does (Create, then one Save per
// contact) and, beside it, the fields an ADIF reader must find in it, as
// JSON. The independent-parser check (fixtures/adif/consumer) compares them.
// Usage: test_log_sample_writer LOG.adi EXPECTED.json

#include "log/AdifText.h"
#include "log/AdifWriter.h"
#include "log/LogFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

struct Sample {
    adif::Contact typed; // as the operator left the dialog's fields
    const char *band;
};

// The reader sees the file's bytes one character each.
QString asRead(const QString &value) {
    return QString::fromLatin1(adif::toLogBytes(value));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LOG.adi EXPECTED.json\n", argv[0]);
        return 2;
    }
    const QString logPath = QString::fromLocal8Bit(argv[1]);
    const Sample samples[] = {
        {{QStringLiteral(" F6XYZ "), QStringLiteral("Jean"), QStringLiteral("14070.150"),
          QStringLiteral("599 "), QStringLiteral("579"), QString::fromUtf8(" 73 de René")},
         "20m"},
        {{QStringLiteral("K1AB"), QString(), QStringLiteral("7035.15"), QStringLiteral("5NN"),
          QStringLiteral("5NN"), QString()},
         "40m"},
        {{QStringLiteral("DL1AA"), QString::fromUtf8("Jürgen"), QStringLiteral("144.300"),
          QStringLiteral("59"), QStringLiteral("57"), QString::fromUtf8("QRM <30 s> & 5 € tip")},
         "2m"},
        {{QStringLiteral("SP9ABC/P"), QStringLiteral("Zbigniew"), QStringLiteral("1838.15"),
          QStringLiteral("599"), QStringLiteral("599"), QStringLiteral("a:b>c<d")},
         "160m"},
    };

    QFile::remove(logPath);
    if (const QString error = adif::createLogFile(logPath, adif::header()); !error.isEmpty()) {
        std::fprintf(stderr, "cannot create the log: %s\n", qPrintable(error));
        return 1;
    }
    QJsonArray expected;
    const QDateTime start(QDate(2026, 12, 10), QTime(23, 58), Qt::UTC);
    int minute = 0;
    for (const Sample &s : samples) {
        const QDateTime t = start.addSecs(60 * minute++);
        adif::LogAppender log(logPath);
        if (!log.open() || !log.append(adif::record(s.typed, t))) {
            std::fprintf(stderr, "cannot append: %s\n", qPrintable(log.errorText()));
            return 1;
        }
        log.close();
        expected.append(QJsonObject{
            {QStringLiteral("call"), asRead(adif::trimText(s.typed.call))},
            {QStringLiteral("name"), asRead(adif::trimText(s.typed.name))},
            {QStringLiteral("qso_date"), t.toString(QStringLiteral("yyyyMMdd"))},
            {QStringLiteral("time_on"), t.toString(QStringLiteral("HHmm"))},
            {QStringLiteral("band"), QString::fromLatin1(s.band)},
            {QStringLiteral("mode"), QStringLiteral("PSK31")},
            {QStringLiteral("rst_rcvd"), asRead(s.typed.rstReceived)},
            {QStringLiteral("rst_sent"), asRead(s.typed.rstSent)},
            {QStringLiteral("comment"), asRead(s.typed.comment)},
        });
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(expected).toJson()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
