// The COM ports on the real modem library, with a pseudo-terminal pair made by socat
// standing in for a USB serial adapter: the library's configuration maps it to COM 3,
// the dialog finds it there and names it, and since a pseudo-terminal has no
// modem-control lines the library refuses to key it, which the dialog reports before
// falling back to COM 1 and "Idle".

#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "modem/PskModem.h"
#include "settings/SetupWidgets.h"
#include "settings/TSetForm.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pseudoTerminalOnComThree();

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    QString m_link;
};

void TestSettingsPty::initTestCase() {
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        QSKIP("socat is not installed (scripts/setup installs it)");
    m_link = m_dir.filePath(QStringLiteral("ttyV0"));
    m_socat.start(socat,
                  {QStringLiteral("-d"), QStringLiteral("-d"),
                   QStringLiteral("pty,raw,echo=0,link=%1").arg(m_link),
                   QStringLiteral("pty,raw,echo=0,link=%1").arg(m_dir.filePath(QStringLiteral("ttyV1")))});
    QVERIFY(m_socat.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_link).exists(), 20000);

    // COM 1 names nothing, so the fallback never touches a real port of this machine.
    QFile config(m_dir.filePath(QStringLiteral("pskmodem.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("input = simulated\nCOM1 = " + QFile::encodeName(m_dir.filePath("no-such-port")) +
                 "\nCOM3 = " + QFile::encodeName(m_link) + "\n");
    config.close();
    qputenv("PSKMODEM_CONFIG", QFile::encodeName(config.fileName()));
}

void TestSettingsPty::cleanupTestCase() {
    if (m_socat.state() != QProcess::NotRunning) {
        m_socat.terminate();
        if (!m_socat.waitForFinished(5000))
            m_socat.kill();
        m_socat.waitForFinished(5000);
    }
}

void TestSettingsPty::pseudoTerminalOnComThree() {
    PskModem modem;
    ScriptedDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30))};
    SettingsStore store(m_dir.filePath(QStringLiteral("VARNEK.conf")));
    RunningSettings settings;
    settings.CardNum = -1;
    QString pattern;
    TSetForm form(SetupContext{modem, store, dialogs, clock, settings, pattern});
    form.show();
    form.PageControl->setCurrentWidget(form.GeneralSheet);

    QRadioButton *com3 = form.ComButtons[2];
    QVERIFY(com3->isEnabled());
    const QString device = QFileInfo(m_link).canonicalFilePath();
    QCOMPARE(com3->toolTip(), QStringLiteral("COM 3: %1 -> %2").arg(m_link, device));
    QVERIFY(!form.ComButtons[0]->isEnabled());
    QVERIFY(form.ComButtons[0]->toolTip().endsWith(QStringLiteral(" (not found)")));
    QCOMPARE(form.CRDGroup->button(0)->toolTip(), QStringLiteral("Input: simulated band\nOutput: none"));

    QTest::mouseClick(com3, Qt::LeftButton, {}, QPoint(8, com3->height() / 2));
    QCOMPARE(settings.ComPort, 3);
    QVERIFY(dialogs.shown.isEmpty());
    QRadioButton *rts = form.PTTGroup->button(1);
    QTest::mouseClick(rts, Qt::LeftButton, {}, QPoint(8, rts->height() / 2));
    QCOMPARE(dialogs.texts(), QStringList({QStringLiteral("Error selecting COM port")}));
    QVERIFY(form.ComButtons[0]->isChecked());
    QCOMPARE(form.PTTGroup->itemIndex(), 0);
    QCOMPARE(settings.ComPort, 1);
    // The library is left with no port open: "Idle" on COM 1 is what it accepted last.
    QCOMPARE(modem.fnSetComPort(1, 0) & 0xFF, 1);
}

QTEST_MAIN(TestSettingsPty)
#include "test_settings_pty.moc"
