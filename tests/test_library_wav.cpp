// The main window on the real modem library, reading a WAV file instead of a
// sound card: what the operator sees when pressing Connect.

#include "MainWindowParts.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "modem/PskModem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

class TestLibraryWav : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void configure(const QByteArray &text) {
        const QString path = m_dir.filePath("pskmodem.conf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        qputenv("PSKMODEM_CONFIG", path.toLocal8Bit());
    }

    struct Window {
        PskModem modem;
        ScriptedDialogs dialogs;
        Clock clock;
        SettingsStore store;
        TPSKForm form;
        explicit Window(const QString &ini) : store(ini), form(modem, store, dialogs, clock) {}
    };

private slots:
    void wavInputRunsAndStopsCleanly() {
        configure("input = wav\nwav_file = " VARNEK_TEST_WAV "\nwav_loop = true\nwav_speed = 4\n");
        Window w(m_dir.filePath("a.conf"));
        TPSKForm &f = w.form;
        f.toolBar().Connection->trigger();
        QVERIFY2(w.dialogs.shown.isEmpty(), qPrintable(w.dialogs.texts().join(", ")));
        QVERIFY(f.link().SoundCardActive);
        QVERIFY(f.status().LedOne->isLit());
        QTRY_COMPARE_WITH_TIMEOUT(f.status().StatusBar->panelText(2), QString("Receiving now..."), 5000);
        QVERIFY(f.status().RXLed->isLit());
        QCOMPARE(f.status().RXLed->toolTip(), QString("Receiving now..."));
        QVERIFY(!f.status().TXLed->isLit());
        QTRY_VERIFY_WITH_TIMEOUT(f.status().StatusBar->panelText(1).startsWith("Noise level "), 5000);
        QVERIFY(f.status().StatusBar->panelText(1).endsWith("dB"));
        // The tone at 1000 Hz stands out of the spectrum data at its bin.
        QVERIFY(f.displays().FFTData[256] > f.displays().FFTData[600] + 20);
        f.show();
        QTest::qWait(300);
        f.grab().save(QDir::temp().filePath("varnek-receiving.png"));

        f.toolBar().Connection->trigger();
        QVERIFY(!f.link().SoundCardActive);
        QVERIFY(!f.status().LedOne->isLit() && !f.status().RXLed->isLit());
        QCOMPARE(f.status().StatusBar->panelText(2), QString("Program is idle"));
        // Nothing arrives after the stop.
        f.status().StatusBar->setPanelText(1, "quiet");
        QTest::qWait(400);
        QCOMPARE(f.status().StatusBar->panelText(1), QString("quiet"));
        QVERIFY(w.dialogs.shown.isEmpty());
    }

    void badWavFilesAreReported_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << QByteArray() << "Can't open wave file for input";
        QTest::newRow("not riff") << QByteArray("this is a text file, not a recording\n")
                                  << "File is not a riff wave type";
    }
    void badWavFilesAreReported() {
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        const QString wav = m_dir.filePath("bad.wav");
        QFile::remove(wav);
        if (!content.isEmpty()) {
            QFile f(wav);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        configure("input = wav\nwav_file = " + wav.toLocal8Bit() + "\n");
        Window w(m_dir.filePath("b.conf"));
        w.form.toolBar().Connection->trigger();
        QCOMPARE(w.dialogs.texts(), QStringList{text});
        QCOMPARE(w.dialogs.shown[0].caption, QString("Error"));
        QVERIFY(!w.form.link().SoundCardActive);
        QVERIFY(!w.form.status().LedOne->isLit());
        QCOMPARE(w.form.toolBar().Connection->toolTip(), QString("Connect/activate soundcard"));
    }

    void noSoundCard() {
        configure("input = soundcard\n");
        Window w(m_dir.filePath("c.conf"));
        w.form.toolBar().Connection->trigger();
        if (w.form.link().SoundCardActive)
            QSKIP("this machine has a sound card");
        QCOMPARE(w.dialogs.texts(), QStringList{"Bad device ID, soundcard not present"});
        QCOMPARE(w.dialogs.shown[0].caption, QString("Error"));
        QVERIFY(w.form.toolBar().Connection->isEnabled());
    }
};

QTEST_MAIN(TestLibraryWav)
#include "test_library_wav.moc"
