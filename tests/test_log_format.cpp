// The log file format without any window: the band rule, the record and
// header bytes, the reader's field, date and header rules, and writing the
// file so that a record is in it whole or not at all.

#include "log/AdifReader.h"
#include "log/AdifText.h"
#include "log/AdifWriter.h"
#include "log/BandRule.h"
#include "log/LogFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(adif::Contact)

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A row as one text, so a table can state it in one cell.
QString rowText(const adif::LogRow &r) {
    return QStringList{r.call, r.date, r.time, r.band, r.mode, r.rcvd, r.sent, r.name, r.comment}.join(u'|');
}

QString fixture(const char *name) {
    return QStringLiteral(VARNEK_ADIF_FIXTURES "/") + QLatin1String(name);
}

const QDateTime SaveTime(QDate(2026, 12, 10), QTime(13, 12, 45), Qt::UTC);

adif::Contact contact(const char *call) {
    adif::Contact c;
    c.call = QString::fromLatin1(call);
    return c;
}

} // namespace

class TestLogFormat : public QObject {
    Q_OBJECT
private slots:
    void bandFromFrequency_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("band");
        const char *const rows[][2] = {
            {"3580.15", "80m"},
            {"3.580", "80m"},
            {"432.100", "70cm"},
            {"440", "70cm"},
            {"4", ""},
            {"45", ""},
            {"50.290", "6m"},
            {"7035.15", "40m"},
            {"7.080", "40m"},
            {"1.838", "160m"},
            {"1.9", "160m"},
            {"1.5", ""},
            {"1.", ""},
            {"10140.150", "30m"},
            {"10.14", "30m"},
            {"14", "20m"},
            {"14.070", "20m"},
            {"14 070", "20m"},
            {"14070.150", "20m"},
            {"14300", "20m"},
            {"144.300", "2m"},
            {"148", "2m"},
            {"149.0", "149"},
            {"14a", "14a"},
            {"18100.150", "17m"},
            {"18.100", "17m"},
            {"1", "1"},
            {"16", "16"},
            {"21080.150", "15m"},
            {"24920.150", "12m"},
            {"28120.150", "10m"},
            {"29.6", "10m"},
            {"2", "2"},
            {"23cm", "23"},
            {"9", "9"},
            {"50", "6m"},
            {" 14.070", " "},
            {"", ""},
            {"abc", "a"},
            // 160 m in kilohertz, as the dialog's own first preset is written.
            {"1838.15", "160m"},
            {"1838", "160m"},
            {"1999.9", "160m"},
            {"19", "19"},
            {"18", "17m"},
            {"181", "17m"},
            // A decimal comma reads as a point.
            {"14,070", "20m"},
            {"14,", "20m"},
            {"1,838", "160m"},
            {"3,580", "80m"},
            {"10,140", "30m"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0][0] ? r[0] : "(empty)")
                << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void bandFromFrequency() {
        QFETCH(QString, frequency);
        QFETCH(QString, band);
        QCOMPARE(BandFromFrequency(frequency), band);
    }

    void header() {
        const QByteArray h = adif::header();
        const QList<QByteArray> lines = h.split('\n');
        QCOMPARE(lines.size(), 8); // seven lines, each closed by CR LF
        QVERIFY(h.endsWith("<EOH>\r\n\r\n"));
        QVERIFY(h.startsWith("ADIF Export from VARNEK version 1.6a\r\n<ADIF_VER:4>1.00\r\n"));
        for (int i = 0; i < 7; ++i) {
            QVERIFY(lines[i].endsWith('\r'));
            if (i >= 2 && i <= 4)
                QVERIFY2(!lines[i].startsWith('<'), lines[i].constData());
        }
        QCOMPARE(h, readAll(fixture("header-only.adi")));
    }

    void record_data() {
        QTest::addColumn<adif::Contact>("contact");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("typical")
            << adif::Contact{QStringLiteral(" F6XYZ "),   QStringLiteral("Jean"),
                             QStringLiteral("14070.150"), QStringLiteral("599 "),
                             QStringLiteral("579"),       QString::fromUtf8(" 73 de René")}
            << QByteArray("<CALL:5>F6XYZ <NAME:4>Jean <QSO_DATE:8:D>20261210 <TIME_ON:4>1312 "
                          "<BAND:3>20m \r\n<MODE:5>PSK31 <RST_RCVD:4>599  <RST_SENT:3>579 "
                          "<COMMENT:11> 73 de Ren\xe9 <EOR>\r\n");
        QTest::newRow("empty name and comment")
            << adif::Contact{QStringLiteral("K1AB"),    QString(),
                             QStringLiteral("7035.15"), QStringLiteral("5NN"),
                             QStringLiteral("5NN"),     QString()}
            << QByteArray("<CALL:4>K1AB <NAME:0> <QSO_DATE:8:D>20261210 <TIME_ON:4>1312 <BAND:3>40m \r\n"
                          "<MODE:5>PSK31 <RST_RCVD:3>5NN <RST_SENT:3>5NN <COMMENT:0> <EOR>\r\n");
        // The frequency is banded as typed; a leading blank gives a blank band.
        QTest::newRow("value with < and blank band")
            << adif::Contact{QStringLiteral("DL1AA"), QStringLiteral("Hans"), QStringLiteral(" 14.070"),
                             QStringLiteral("599"),   QStringLiteral("599"),  QStringLiteral("<3 qrm")}
            << QByteArray("<CALL:5>DL1AA <NAME:4>Hans <QSO_DATE:8:D>20261210 <TIME_ON:4>1312 <BAND:1>  \r\n"
                          "<MODE:5>PSK31 <RST_RCVD:3>599 <RST_SENT:3>599 <COMMENT:6><3 qrm <EOR>\r\n");
        // One byte a character: the euro sign is one Windows-1252 byte, a
        // character the code page lacks is one "?", a line break one blank.
        QTest::newRow("8-bit lengths")
            << adif::Contact{QStringLiteral("SP9ABC"), QString::fromUtf8("Zbigniew Łoś"),
                             QStringLiteral("3580"),   QStringLiteral("599"),
                             QStringLiteral("599"),    QString::fromUtf8("5 €\r\nok")}
            << QByteArray(
                   "<CALL:6>SP9ABC <NAME:12>Zbigniew ?o? <QSO_DATE:8:D>20261210 <TIME_ON:4>1312 "
                   "<BAND:3>80m \r\n<MODE:5>PSK31 <RST_RCVD:3>599 <RST_SENT:3>599 <COMMENT:7>5 \x80  ok "
                   "<EOR>\r\n");
    }
    void record() {
        QFETCH(adif::Contact, contact);
        QFETCH(QByteArray, bytes);
        QCOMPARE(adif::record(contact, SaveTime), bytes);
    }

    void fieldValue_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("value");
        QTest::newRow("by length") << "<CALL:5>F6XYZ <NAME:4>Jean "
                                   << "<NAME:"
                                   << "Jean";
        QTest::newRow("length keeps <") << "<COMMENT:9>a <b> c d <EOR>"
                                        << "<COMMENT:"
                                        << "a <b> c d";
        QTest::newRow("typed length") << "<QSO_DATE:8:D>20261210 <EOR>"
                                      << "<QSO_DATE:"
                                      << "20261210";
        QTest::newRow("zero length") << "<NAME:0> <EOR>"
                                     << "<NAME:"
                                     << "";
        // When the length cannot be used the value runs to the next "<".
        QTest::newRow("too long, up to <") << "<CALL:99>SM5XYZ <EOR>"
                                           << "<CALL:"
                                           << "SM5XYZ ";
        QTest::newRow("no number, up to <") << "<CALL:x>SM5XYZ <EOR>"
                                            << "<CALL:"
                                            << "SM5XYZ ";
        QTest::newRow("no < after it") << "<CALL:99>SM5XYZ"
                                       << "<CALL:"
                                       << "";
        QTest::newRow("missing tag") << "<CALL:4>K1AB <EOR>"
                                     << "<NAME:"
                                     << "";
        QTest::newRow("lower case") << "<call:4>K1AB <EOR>"
                                    << "<CALL:"
                                    << "";
        QTest::newRow("no > at all") << "<CALL:4 K1AB <EOR>"
                                     << "<CALL:"
                                     << "";
        QTest::newRow("first occurrence") << "<CALL:4>K1AB <CALL:4>K2CD "
                                          << "<CALL:"
                                          << "K1AB";
    }
    void fieldValue() {
        QFETCH(QString, record);
        QFETCH(QString, tag);
        QFETCH(QString, value);
        QCOMPARE(adif::fieldValue(record, tag), value);
    }

    void dateAndTime_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("error");
        QTest::newRow("eight digits") << "20261209"
                                      << "09/12/2026"
                                      << "";
        QTest::newRow("99 is 1999") << "991231"
                                    << "31/12/1999"
                                    << "";
        QTest::newRow("25 is 2025") << "250101"
                                    << "01/01/2025"
                                    << "";
        QTest::newRow("26 is 1926") << "260615"
                                    << "15/06/1926"
                                    << "";
        QTest::newRow("year not a number") << "AB0615"
                                           << ""
                                           << "'AB' is not a valid integer value";
        QTest::newRow("other length as is") << "2026129"
                                            << "2026129"
                                            << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void dateAndTime() {
        QFETCH(QString, value);
        QFETCH(QString, cell);
        QFETCH(QString, error);
        QString shown, problem;
        QCOMPARE(adif::dateCell(value, shown, problem), error.isEmpty());
        QCOMPARE(shown, cell);
        QCOMPARE(problem, error);
    }

    void time_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cell");
        QTest::newRow("hhnn") << "1435"
                              << "14:35";
        QTest::newRow("seconds dropped") << "143559"
                                         << "14:35";
        QTest::newRow("short") << "9"
                               << "9:";
    }
    void time() {
        QFETCH(QString, value);
        QFETCH(QString, cell);
        QCOMPARE(adif::timeCell(value), cell);
    }

    void load_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error");
        QTest::newRow("header only") << fixture("header-only.adi") << QStringList() << "";
        QTest::newRow("stored contact")
            << fixture("stored-contact.adi")
            << QStringList{QString::fromUtf8("F6XYZ|10/12/2026|13:12|20m|PSK31|599|579|Jean| 73 de René")}
            << "";
        QTest::newRow("no header") << fixture("no-header.adi")
                                   << QStringList{"K1AB|09/12/2026|14:35|40m|PSK31|599|589|Bob|"} << "";
        QTest::newRow("lower-case tags run on")
            << fixture("lower-case.adi") << QStringList{"G4BBB|02/12/2026|10:00|20m|PSK31|579|559|Tom|"}
            << "";
        QTest::newRow("bad year ends loading")
            << fixture("short-dates.adi")
            << QStringList{"AA1A|31/12/1999|00:01||||||", "BB2B|01/01/2025|00:02||||||",
                           "CC3C|15/06/1926|00:03||||||"}
            << "'AB' is not a valid integer value";
        QTest::newRow("another program's log")
            << fixture("other-program.adi")
            << QStringList{"OH2ABC|05/11/2026|23:59|15m|BPSK|||Matti <Mr>|QRM <30 s> 73 !",
                           "SM5XYZ||:|||||Ola|"}
            << "";
        QTest::newRow("missing file") << fixture("no-such-file.adi") << QStringList() << "File not found";
    }
    void load() {
        QFETCH(QString, file);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        const adif::LogContents log = adif::readLogFile(file);
        QStringList shown;
        for (const adif::LogRow &r : log.rows)
            shown << rowText(r);
        QCOMPARE(shown, rows);
        QCOMPARE(log.error, error);
    }

    // Texts without a length or whose length does not fit are read as
    // before; the header rule and record rule hold with LF or CR line ends.
    void loadVariants_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("CR line ends") << QByteArray("h\r<EOH>\r<CALL:2>AB <EOR>\r<CALL:2>CD <EOR>\r")
                                      << QStringList{"AB||:||||||", "CD||:||||||"};
        QTest::newRow("EOH in lower case, blanks")
            << QByteArray("h\n  <eoh>  \n<CALL:2>AB <EOR>\n") << QStringList{"AB||:||||||"};
        QTest::newRow("no EOH: read as records")
            << QByteArray("Some header\n<CALL:2>AB <EOR>\n") << QStringList{"AB||:||||||"};
        QTest::newRow("last record without EOR")
            << QByteArray("<CALL:2>AB <EOR>\n<CALL:2>CD") << QStringList{"AB||:||||||", "CD||:||||||"};
        QTest::newRow("blank lines at the end")
            << QByteArray("<CALL:2>AB <EOR>\r\n\r\n  \r\n") << QStringList{"AB||:||||||"};
    }
    void loadVariants() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        const adif::LogContents log = adif::parseLog(bytes);
        QStringList shown;
        for (const adif::LogRow &r : log.rows)
            shown << rowText(r);
        QCOMPARE(shown, rows);
        QVERIFY(log.error.isEmpty());
    }

    void writtenRecordReadsBack() {
        const adif::Contact c{QStringLiteral("EA3<X>"),    QString::fromUtf8("José"),
                              QStringLiteral("21080.150"), QStringLiteral(" 599"),
                              QStringLiteral("579"),       QStringLiteral("  a<b>c  ")};
        const adif::LogContents log = adif::parseLog(adif::header() + adif::record(c, SaveTime));
        QCOMPARE(log.rows.size(), size_t(1));
        QCOMPARE(rowText(log.rows[0]),
                 QString::fromUtf8("EA3<X>|10/12/2026|13:12|15m|PSK31|599|579|José|  a<b>c  "));
    }

    // Values holding tag text stay in their field and their record: the reader follows the
    // lengths the writer wrote. Two records, so a split shows as a third row.
    void tagTextRoundTrips_data() {
        QTest::addColumn<adif::Contact>("contact");
        const auto with = [](const char *call, const char *name, const char *comment) {
            adif::Contact c;
            c.call = QString::fromLatin1(call);
            c.name = QString::fromLatin1(name);
            c.frequency = QStringLiteral("14070");
            c.rstReceived = QStringLiteral("599");
            c.rstSent = QStringLiteral("579");
            c.comment = QString::fromLatin1(comment);
            return c;
        };
        QTest::newRow("date tag in the name") << with("K1AB", "Al<QSO_DATE:6>x", "");
        QTest::newRow("end of record in the name") << with("K1AB", "Bob <EOR>", "");
        QTest::newRow("end of record in the call") << with("<EOR>", "Bob", "73");
        QTest::newRow("a whole record in the comment")
            << with("K1AB", "Bob", "<CALL:4>ZZ9Z <QSO_DATE:8>19990101 <EOR>");
        QTest::newRow("unclosed tag in the comment") << with("K1AB", "Bob", "<CALL:");
        QTest::newRow("lengths in the name") << with("K1AB", "<NAME:99>", "<COMMENT:1>");
        QTest::newRow("end of header in the call") << with("<EOH>", "", "");
        // Found by fuzz/adif_roundtrip against the reader that searched for tag text.
        QTest::newRow("fuzz: time tag without > in the call") << with("K<TIME_ON:QSA", "", "");
        QTest::newRow("fuzz: comment tag in the call") << with("\xff.<COMMENT:\xff\xff", "", "");
        QTest::newRow("fuzz: report tag in the call") << with("<RST_RCVD:", "Bob", "");
        QTest::newRow("fuzz: end of record after a sign") << with("\xf1<EOR>#ME", "", "");
    }
    void tagTextRoundTrips() {
        QFETCH(adif::Contact, contact);
        const QByteArray file = adif::header() + adif::record(contact, SaveTime) +
                                adif::record(::contact("G4BBB"), SaveTime);
        const adif::LogContents log = adif::parseLog(file);
        QVERIFY2(log.error.isEmpty(), qPrintable(log.error));
        QStringList shown;
        for (const adif::LogRow &r : log.rows)
            shown << rowText(r);
        const QString first =
            QStringList{contact.call,        "10/12/2026",    "13:12",      "20m",          "PSK31",
                        contact.rstReceived, contact.rstSent, contact.name, contact.comment}
                .join(u'|');
        QCOMPARE(shown, QStringList({first, "G4BBB|10/12/2026|13:12||PSK31||||"}));
    }

    void createLogFile() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Varneklog.adi"));
        writeFile(path, "old contents");
        QCOMPARE(adif::createLogFile(path, adif::header()), QString());
        QCOMPARE(readAll(path), adif::header());
        // A folder that does not exist: an error text, no file anywhere.
        const QString nowhere = dir.filePath(QStringLiteral("gone/Varneklog.adi"));
        QVERIFY(!adif::createLogFile(nowhere, adif::header()).isEmpty());
        QVERIFY(!QFile::exists(nowhere));
    }

    void appendAddsOneWholeRecord() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        writeFile(path, adif::header());
        const QByteArray rec = adif::record(contact("K1AB"), SaveTime);
        for (int i = 0; i < 2; ++i) {
            adif::LogAppender log(path);
            QVERIFY(log.open());
            QVERIFY(log.append(rec));
            log.close();
        }
        QCOMPARE(readAll(path), adif::header() + rec + rec);
    }

    void appendToMissingFile() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        adif::LogAppender log(path);
        QVERIFY(!log.open());
        QCOMPARE(log.errorText(), QStringLiteral("File not found"));
        QVERIFY(!QFile::exists(path)); // appending never creates the log
    }

#ifdef Q_OS_UNIX
    // A disk that fills up in the middle of the record: the system takes the
    // first bytes, then refuses the rest. The file must keep its old length.
    void partialWriteLeavesFileAsItWas() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        const QByteArray before = adif::header() + adif::record(contact("K1AB"), SaveTime);
        writeFile(path, before);
        adif::LogAppender log(path);
        QVERIFY(log.open());

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = static_cast<rlim_t>(before.size() + 20);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = log.append(adif::record(contact("G4BBB"), SaveTime));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        log.close();

        QVERIFY(!written);
        QCOMPARE(log.errorText(), QStringLiteral("File too large"));
        QCOMPARE(readAll(path), before);
    }

    // A disk too full for the header: the error is reported and no file is left, neither
    // the log nor a temporary one.
    void createOnFullDiskLeavesNoFile() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 20;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString error = adif::createLogFile(path, adif::header());
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(error, QStringLiteral("File too large"));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void readOnlyFile() {
        QTemporaryDir dir;
        const QString path = adif::logFilePath(dir.path());
        QFile::copy(fixture("stored-contact.adi"), path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        // The viewer only reads, so a write-protected log still shows.
        QCOMPARE(adif::readLogFile(path).rows.size(), size_t(1));
        if (geteuid() == 0)
            QSKIP("root may write to a write-protected file");
        adif::LogAppender log(path);
        QVERIFY(!log.open());
        QCOMPARE(log.errorText(), QStringLiteral("Permission denied"));
        QCOMPARE(readAll(path), readAll(fixture("stored-contact.adi")));
    }
#endif
};

QTEST_GUILESS_MAIN(TestLogFormat)
#include "test_log_format.moc"
