// The update notice end to end: a real HTTP exchange with a small server
// this test runs on 127.0.0.1, the copies in a temporary cache folder.

#include "FormFixture.h"
#include "MainWindowParts.h"
#include "ScriptedDialogs.h"
#include "base/SettingsStore.h"
#include "update/TFileCompare.h"
#include "update/TUPDForm.h"
#include "update/UpdateChecker.h"
#include "update/UpdateNotice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers every GET with the current body; can also stay silent (a slow
// server) or leave out the length (a body that streams).
class NewsServer : public QTcpServer {
public:
    QByteArray body;
    bool silent = false;
    bool sendLength = true;
    bool trickle = false; // a byte of the body now and then, never the end
    int requests = 0;

    NewsServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_pending[s] += s->readAll();
                    if (!m_pending[s].contains("\r\n\r\n"))
                        return;
                    ++requests;
                    const QByteArray request = m_pending.take(s);
                    if (silent)
                        return;
                    const bool known = request.startsWith("GET /fichiers/update_us.txt ");
                    const QByteArray answer = known ? body : QByteArray("<html>Not Found</html>");
                    QByteArray head = known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
                    head += "Content-Type: text/plain\r\nConnection: close\r\n";
                    if (sendLength)
                        head += "Content-Length: " + QByteArray::number(answer.size()) + "\r\n";
                    if (trickle) {
                        s->write(head + "\r\n");
                        auto *drip = new QTimer(s);
                        connect(drip, &QTimer::timeout, s, [s] { s->write("x"); });
                        drip->start(100);
                        return;
                    }
                    s->write(head + "\r\n" + answer);
                    s->disconnectFromHost();
                });
                // A later socket may get this one's address: forget its request.
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    m_pending.remove(s);
                    s->deleteLater();
                });
            }
        });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/fichiers/update_us.txt").arg(serverPort());
    }

private:
    QHash<QTcpSocket *, QByteArray> m_pending;
};

struct Status {
    QString text;
    int icon;
    bool operator==(const Status &) const = default;
};

} // namespace

class TestUpdate : public QObject {
    Q_OBJECT

    QTemporaryDir m_cache;
    NewsServer m_server;
    ScriptedDialogs m_dialogs;
    QWidget m_owner;
    UpdateChecker *m_checker = nullptr;
    QList<Status> m_status;

    // Runs one check to its end and returns the status texts it posted.
    QList<Status> check() {
        m_status.clear();
        QSignalSpy done(m_checker, &UpdateChecker::finished);
        m_checker->ConnectWebSite();
        [&] { QVERIFY(done.wait(30000)); }();
        return m_status;
    }
    static Status looking() { return {QStringLiteral("Looking for informations on the Internet"), 24}; }
    static Status normal() { return {QStringLiteral("<normal>"), 22}; }
    static Status noNews() { return {QStringLiteral("No new information on the Internet"), 23}; }
    static Status news() { return {QStringLiteral("New informations about Q9ZZV programs"), 22}; }

private slots:
    void init() {
        QVERIFY(m_cache.isValid());
        QFile::remove(m_cache.filePath(QStringLiteral("update_us.txt")));
        QFile::remove(m_cache.filePath(QStringLiteral("update_us.old")));
        if (!m_server.isListening())
            QVERIFY(m_server.listen(QHostAddress::LocalHost));
        m_server.body = "VARNEK news\r\nVersion 1.6a is out.\r\n";
        m_server.silent = false;
        m_server.trickle = false;
        m_server.sendLength = true;
        m_dialogs.shown.clear();
        m_dialogs.answers.clear();
        m_checker = new UpdateChecker(m_dialogs, &m_owner, this);
        m_checker->setCacheDir(m_cache.path());
        m_checker->setUrl(m_server.url());
        connect(m_checker, &UpdateChecker::statusMessage, this, [this](const QString &t, int icon) {
            m_status.append({t, icon});
        });
        connect(m_checker, &UpdateChecker::statusReset, this, [this] { m_status.append(normal()); });
    }
    void cleanup() {
        delete m_checker;
        qDeleteAll(m_owner.findChildren<TUPDForm *>());
    }

    void newsOfferedOnceWhenChanged() {
        // First check of all: nothing to compare with, nothing offered.
        QCOMPARE(check(), (QList<Status>{looking(), normal()}));
        QVERIFY(m_dialogs.shown.isEmpty());
        QVERIFY(QFile::exists(m_checker->downloadedCopy()));

        QCOMPARE(check(), (QList<Status>{looking(), noNews()}));
        QVERIFY(m_dialogs.shown.isEmpty());

        m_server.body = "Fresh news from the shack\r\nA new macro set.\r\nSee you on 14.070\r\n";
        m_dialogs.answers = {Dialogs::Answer::Yes};
        QCOMPARE(check(), (QList<Status>{looking(), news(), normal()}));
        QCOMPARE(m_dialogs.shown.size(), 1);
        QCOMPARE(m_dialogs.shown[0].caption, QStringLiteral("Informations from the Internet"));
        QCOMPARE(m_dialogs.shown[0].icon, Dialogs::Icon::Information);
        QCOMPARE(m_dialogs.shown[0].text,
                 QStringLiteral("New informations about Q9ZZV programs are available on the Internet.\r\n"
                                "Do you want to download the file and have a look at them ?"));
        QCOMPARE(m_checker->noticeWindows().size(), 1);
        TUPDForm *notice = m_checker->noticeWindows().first();
        QVERIFY(notice->isVisible());
        QVERIFY(!notice->isModal());
        QCOMPARE(notice->windowTitle(), QStringLiteral("Fresh news from the shack"));
        QCOMPARE(notice->UPDMemo->toPlainText(), QStringLiteral("A new macro set.\nSee you on 14.070"));
        QCOMPARE(notice->size(), QSize(543, 348));

        // The same file again: compared with itself, offered no more.
        QCOMPARE(check(), (QList<Status>{looking(), noNews()}));
        QCOMPARE(m_dialogs.shown.size(), 1);

        // Changed again, answered No: no window, and not offered again.
        m_server.body = "Second news\r\n";
        QCOMPARE(check(), (QList<Status>{looking(), news(), normal()}));
        QCOMPARE(m_checker->noticeWindows().size(), 1);
        QCOMPARE(check(), (QList<Status>{looking(), noNews()}));
        QCOMPARE(m_dialogs.shown.size(), 2);

        // Each Yes opens another window.
        m_server.body = "Third news\r\n";
        m_dialogs.answers = {Dialogs::Answer::Yes};
        check();
        QCOMPARE(m_checker->noticeWindows().size(), 2);
        const QList<TUPDForm *> windows = m_checker->noticeWindows();
        const bool found = std::any_of(windows.begin(), windows.end(), [](TUPDForm *w) {
            return w->windowTitle() == QLatin1String("Third news") && w->UPDMemo->toPlainText().isEmpty();
        });
        QVERIFY(found);
    }

    void failedDownloadsKeepTheLastCopy_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("server down") << "down";
        QTest::newRow("too large, announced") << "large";
        QTest::newRow("too large, streamed") << "streamed";
        QTest::newRow("not found") << "404";
    }
    void failedDownloadsKeepTheLastCopy() {
        QFETCH(QString, how);
        check();
        QVERIFY(QFile::exists(m_checker->downloadedCopy()));
        const int requestsBefore = m_server.requests;
        if (how == QLatin1String("down")) {
            m_server.close();
        } else if (how == QLatin1String("404")) {
            m_checker->setUrl(m_server.url().replace(QStringLiteral("update_us"), QStringLiteral("missing")));
        } else {
            m_server.body = QByteArray(UpdateChecker::DefaultSizeLimit + 1, 'x');
            m_server.sendLength = how == QLatin1String("large");
        }
        QCOMPARE(check(), (QList<Status>{looking(), normal()}));
        QVERIFY(m_dialogs.shown.isEmpty());
        if (how != QLatin1String("down"))
            QCOMPARE(m_server.requests, requestsBefore + 1);
        QFile copy(m_checker->downloadedCopy());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("VARNEK news\r\nVersion 1.6a is out.\r\n"));
        copy.close();

        // Once the server answers again with changed news, they are offered:
        // the failure did not cost the copy to compare with.
        if (how == QLatin1String("down"))
            QVERIFY(
                m_server.listen(QHostAddress::LocalHost, m_server.serverPort() ? m_server.serverPort() : 0));
        m_checker->setUrl(m_server.url());
        m_server.sendLength = true;
        m_server.body = "After the outage\r\n";
        check();
        QCOMPARE(m_dialogs.shown.size(), 1);
    }

    void slowServerDoesNotFreezeTheWindow_data() {
        QTest::addColumn<bool>("trickle");
        QTest::newRow("silent") << false;
        QTest::newRow("a byte now and then") << true;
    }
    void slowServerDoesNotFreezeTheWindow() {
        QFETCH(bool, trickle);
        m_server.silent = !trickle;
        m_server.trickle = trickle;
        m_server.sendLength = !trickle;
        m_checker->setTimeout(1500);
        int ticks = 0;
        QTimer timer;
        timer.setInterval(20);
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start();
        QElapsedTimer clock;
        clock.start();
        QSignalSpy done(m_checker, &UpdateChecker::finished);
        m_status.clear();
        m_checker->ConnectWebSite();
        // ConnectWebSite returns at once; the window's timers go on ticking
        // while the server keeps silent.
        QVERIFY(m_checker->busy());
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(done.wait(30000));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(m_status, (QList<Status>{looking(), normal()}));
        QVERIFY(m_dialogs.shown.isEmpty());
        QVERIFY(!m_checker->busy());
    }

    void scheduleFromTheTimer() {
        int connectedAsked = 0;
        bool online = false;
        m_checker->isConnected = [&] {
            ++connectedAsked;
            return online;
        };
        QSignalSpy balloons(m_checker, &UpdateChecker::balloon);
        QSignalSpy done(m_checker, &UpdateChecker::finished);
        const int before = m_server.requests;

        // Offline at a mark: no check, no balloon.
        for (int i = 0; i < 4; ++i)
            m_checker->TimerTick(10);
        QCOMPARE(balloons.size(), 0);
        QVERIFY(connectedAsked > 0);
        // Between marks the connection is not even asked about.
        connectedAsked = 0;
        m_checker->TimerTick(11);
        QCOMPARE(connectedAsked, 0);

        online = true;
        m_checker->TimerTick(20);
        QCOMPARE(balloons.size(), 1);
        QVERIFY(done.wait(30000));
        QCOMPARE(m_server.requests, before + 1);
        QVERIFY(m_checker->schedule().UpdateCheckDone);
        // The rest of this mark and the later marks of the hour start nothing.
        for (int minute : {20, 20, 20, 21, 30, 40, 50, 59})
            m_checker->TimerTick(minute);
        QCOMPARE(balloons.size(), 1);
        // The hour re-arms it: one check at minute 0, however many ticks.
        for (int i = 0; i < 4; ++i)
            m_checker->TimerTick(0);
        QCOMPARE(balloons.size(), 2);
        QVERIFY(done.wait(30000));
        for (int minute : {0, 1, 10})
            m_checker->TimerTick(minute);
        QCOMPARE(balloons.size(), 2);
        QCOMPARE(balloons.first().at(0).toString(),
                 QStringLiteral("Connecting to the Q9ZZV Software web site"));

        // An empty address turns the check off.
        m_checker->setUrl(QString());
        m_checker->schedule().UpdateCheckDone = false;
        m_checker->TimerTick(10);
        QCOMPARE(balloons.size(), 2);
    }

    void scheduleRule_data() {
        QTest::addColumn<QList<int>>("minutes");
        QTest::addColumn<QList<int>>("checksAt"); // indexes of the ticks that start one
        QTest::newRow("first mark after start") << QList<int>{7, 8, 9, 10, 10, 10, 10, 11} << QList<int>{3};
        QTest::newRow("started on the hour") << QList<int>{0, 0, 0, 0, 1, 10} << QList<int>{0};
        QTest::newRow("then hourly") << QList<int>{50, 50, 59, 0, 0, 0, 0, 10, 59, 0, 0}
                                     << QList<int>{0, 4, 10};
    }
    void scheduleRule() {
        QFETCH(QList<int>, minutes);
        QFETCH(QList<int>, checksAt);
        UpdateSchedule s;
        QList<int> started;
        for (int i = 0; i < minutes.size(); ++i)
            if (s.tick(minutes[i], true))
                started << i;
        QCOMPARE(started, checksAt);
    }

    void mainWindowTimerRunsTheCheck() {
        FormFixture f;
        f.storeText("[Settings]\nUpdateURL=" + m_server.url().toLatin1() + "\n");
        f.clock.set(QDateTime(QDate(2026, 12, 10), QTime(14, 10, 5)));
        TPSKForm &form = f.create();
        UpdateChecker &checker = form.update().checker();
        QCOMPARE(checker.url(), m_server.url());
        checker.setCacheDir(m_cache.path());
        checker.isConnected = [] { return true; };
        StatusArea &status = form.status();
        QSignalSpy done(&checker, &UpdateChecker::finished);
        const int before = m_server.requests;
        form.TimerTimer();
        // The tick returns while the download runs, showing the search.
        QCOMPARE(status.StatusMessage, QStringLiteral("Looking for informations on the Internet"));
        QCOMPARE(status.StatusIcon, 24);
        QVERIFY(done.wait(30000));
        QCOMPARE(m_server.requests, before + 1);
        QCOMPARE(status.StatusIcon, 22);
        // The other ticks of this mark start nothing.
        form.TimerTimer();
        QVERIFY(!checker.busy());
        QCOMPARE(m_server.requests, before + 1);
    }

    void fileCompare() {
        QTemporaryDir dir;
        auto write = [&](const char *name, const QByteArray &bytes) {
            QFile f(dir.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write("a", "abc");
        write("b", "abc");
        write("c", "abd");
        write("d", "abcd");
        TFileCompare cmp;
        cmp.SetFile1(dir.filePath(QStringLiteral("a")));
        cmp.SetFile2(dir.filePath(QStringLiteral("b")));
        QVERIFY(cmp.Compare());
        cmp.SetFile2(dir.filePath(QStringLiteral("c")));
        QVERIFY(!cmp.Compare());
        cmp.SetFile2(dir.filePath(QStringLiteral("d")));
        QVERIFY(!cmp.Compare());
        const QString missing = dir.filePath(QStringLiteral("nope"));
        try {
            cmp.SetFile2(missing);
            QFAIL("no error for a missing file");
        } catch (const FileCompareError &e) {
            QCOMPARE(e.text(), missing + QStringLiteral(" does not exist"));
        }
        QCOMPARE(cmp.file2(), dir.filePath(QStringLiteral("d")));
    }

    void newsFileDecoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("one line") << QByteArray("Only line") << QStringList{"Only line"};
        QTest::newRow("CR LF ends") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
        QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9\n") << QStringList{u"Caf\u00e9"_qs};
        QTest::newRow("8-bit") << QByteArray("Caf\xe9\r\n") << QStringList{u"Caf\u00e9"_qs};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        // The last byte begins a UTF-8 sequence that never ends: 8-bit text
        // whose last letter is accented, not UTF-8 waiting for more bytes.
        QTest::newRow("8-bit, accent last") << QByteArray("Caf\xe9") << QStringList{u"Caf\u00e9"_qs};
        QTest::newRow("one 8-bit letter") << QByteArray("\xeb") << QStringList{u"\u00eb"_qs};
        QTest::newRow("cut UTF-8 sequence")
            << QByteArray("News\r\n\xe2\x82") << QStringList{"News", u"\u00e2\u0082"_qs};
    }

    void newsFileDecoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(newsLines(bytes), lines);
    }

    void updateUrlSetting_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("url");
        QTest::newRow("default") << ""
                                 << "http://www.q9zzv-software.example/fichiers/update_us.txt";
        QTest::newRow("own server") << "UpdateURL=https://news.example.org/n.txt"
                                    << "https://news.example.org/n.txt";
        QTest::newRow("empty turns it off") << "UpdateURL="
                                            << "";
        QTest::newRow("not http") << "UpdateURL=file:///etc/passwd"
                                  << "";
        QTest::newRow("garbage") << "UpdateURL=::::"
                                 << "";
    }
    void updateUrlSetting() {
        QFETCH(QString, ini);
        QFETCH(QString, url);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("store.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\n" + ini.toUtf8() + "\n");
        f.close();
        SettingsStore store(path);
        store.open();
        QCOMPARE(updateUrl(store), url);
    }
};

QTEST_MAIN(TestUpdate)
#include "test_update.moc"
