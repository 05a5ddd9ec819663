// Transmit control and the receive tuning page, driven with the keyboard and
// the mouse through a recording modem: what reaches the library, in which
// order, and what the buttons show along a transmission.

#include "FormFixture.h"
#include "base/Widgets.h"
#include "modem/ModemEvent.h"
#include "modem/SpinArrows.h"
#include "modem/TextFileReader.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

TPSKForm &running(FormFixture &fx) {
    TPSKForm &f = fx.create();
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        qFatal("the window never showed");
    fx.connect();
    return f;
}

// A running window with tracks in slots 0..count-1, the last one active.
TPSKForm &withTracks(FormFixture &fx, int count) {
    TPSKForm &f = running(fx);
    for (int i = 0; i < count; ++i)
        QTest::mouseClick(f.displays().WaterfallDisplay, Qt::LeftButton, {}, QPoint(30, 40 + 40 * i));
    fx.modem.calls.clear();
    return f;
}

void status(TPSKForm &f, int code) {
    ModemEvent e(ModemEvent::Status, code, 0);
    QCoreApplication::sendEvent(&f, &e);
}

void dataReady(TPSKForm &f) {
    ModemEvent e(ModemEvent::DataReady, 0, 0);
    QCoreApplication::sendEvent(&f, &e);
}

void clickArrow(QSpinBox *spin, SpinArrow arrow) {
    QTest::mouseClick(spin, Qt::LeftButton, {}, spinArrowRect(spin, arrow).center());
}

QStringList sent(const RecordingModem &modem) {
    return modem.callsOf({"fnSendTXCharacter"});
}

QStringList charactersOf(const QList<int> &codes) {
    QStringList out;
    for (int c : codes)
        out << (c == 9 ? QString("fnSendTXCharacter(2,1)") : QString("fnSendTXCharacter(%1,0)").arg(c));
    return out;
}

} // namespace

class TestTransmitControl : public QObject {
    Q_OBJECT

private slots:
    // Each key typed into the pane goes to the library as it is, then takes
    // its ordinary effect in the pane.
    void typedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed"); // when key is 0
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("pane"); // the pane held "ab" before
        QTest::newRow("letter") << 0 << "k" << QStringList{"fnSendTXCharacter(107,0)"} << "abk";
        QTest::newRow("8-bit letter")
            << 0 << QString("\u00e9") << QStringList{"fnSendTXCharacter(233,0)"} << QString("ab\u00e9");
        QTest::newRow("beyond 8 bits")
            << 0 << QString("\u20ac") << QStringList{"fnSendTXCharacter(63,0)"} << QString("ab\u20ac");
        QTest::newRow("return") << int(Qt::Key_Return) << "" << QStringList{"fnSendTXCharacter(13,0)"}
                                << "ab\n";
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << "" << QStringList{"fnSendTXCharacter(8,0)"}
                                   << "a";
        QTest::newRow("escape") << int(Qt::Key_Escape) << "" << QStringList{"fnSendTXCharacter(27,0)"}
                                << "ab";
        QTest::newRow("composed by an input method")
            << -1 << QString("\u00e8") << QStringList{"fnSendTXCharacter(232,0)"} << QString("ab\u00e8");
        QTest::newRow("tab moves on") << int(Qt::Key_Tab) << "" << QStringList{} << "ab";
        QTest::newRow("delete sends nothing") << int(Qt::Key_Delete) << "" << QStringList{} << "ab";
    }
    void typedKeys() {
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        QFETCH(QString, pane);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.transmit().TXBuf->setFocus();
        f.transmit().TXBuf->setPlainText("ab");
        f.transmit().TXBuf->moveCursor(QTextCursor::End);
        if (key == -1) {
            QInputMethodEvent composed;
            composed.setCommitString(typed);
            QCoreApplication::sendEvent(f.transmit().TXBuf, &composed);
        } else if (key) {
            QTest::keyClick(f.transmit().TXBuf, Qt::Key(key));
        } else { // a key that makes this text, as a keyboard layout would
            QTest::sendKeyEvent(QTest::Click, f.transmit().TXBuf, Qt::Key_unknown, typed, Qt::NoModifier);
        }
        QCOMPARE(sent(fx.modem), expected);
        QCOMPARE(f.transmit().TXBuf->toPlainText(), pane);
    }

    // Messages already waiting (here the library's "transmission started")
    // are handled before each character goes out, so a long macro or file
    // keeps the window's state current.
    void waitingMessagesComeFirst() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        QCoreApplication::postEvent(&f, new ModemEvent(ModemEvent::Status, 1, 0));
        QVERIFY(!f.transmit().Transmitting);
        f.transmit().TypeIntoTXBuf('a');
        QVERIFY(f.transmit().Transmitting);
        QCOMPARE(sent(fx.modem), QStringList{"fnSendTXCharacter(97,0)"});
    }

    // Characters delivered by other parts of the program: ETX and tab become
    // the library's two control codes.
    void deliveredCharacters_data() {
        QTest::addColumn<int>("c");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("pane");
        QTest::newRow("ETX returns to receive") << 3 << "fnSendTXCharacter(1,1)"
                                                << "ab";
        QTest::newRow("tab queues the CW ID") << 9 << "fnSendTXCharacter(2,1)"
                                              << "ab\t";
        QTest::newRow("carriage return") << 13 << "fnSendTXCharacter(13,0)"
                                         << "ab\n";
        QTest::newRow("backspace") << 8 << "fnSendTXCharacter(8,0)"
                                   << "a";
        QTest::newRow("letter") << int('z') << "fnSendTXCharacter(122,0)"
                                << "abz";
    }
    void deliveredCharacters() {
        QFETCH(int, c);
        QFETCH(QString, call);
        QFETCH(QString, pane);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.transmit().TXBuf->setPlainText("ab");
        f.transmit().TXBuf->moveCursor(QTextCursor::End);
        f.transmit().TypeIntoTXBuf(c);
        QCOMPARE(fx.modem.calls, QStringList{call});
        QCOMPARE(f.transmit().TXBuf->toPlainText(), pane);
    }

    void typingWhileStopped() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.transmit().TXBuf->setPlainText("earlier text");
        f.transmit().TXBuf->moveCursor(QTextCursor::End);
        fx.modem.calls.clear();
        QTest::keyClicks(f.transmit().TXBuf, "qw");
        QCOMPARE(fx.dialogs.beeps, 2);
        QCOMPARE(f.status().StatusMessage, QString("Error ! Soundcard is not active..."));
        QCOMPARE(f.status().StatusIcon, 23);
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString("w"));
        QCOMPARE(sent(fx.modem), QStringList{});
    }

    // The calls each transmit-side button makes, and when.
    void buttonCalls_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("transmitting");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<bool>("net");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("transmit") << "TransmitBtn" << false << 0 << false
                                  << QStringList{"fnSetTXFrequency(900)", "fnStartTX(9)"};
        QTest::newRow("transmit with NET")
            << "TransmitBtn" << false << 0 << true << QStringList{"fnSetTXFrequency(1234)", "fnStartTX(9)"};
        QTest::newRow("stop with nothing queued")
            << "TransmitBtn" << true << 0 << false << QStringList{"fnGetTXCharsRemaining()", "fnStopTX()"};
        QTest::newRow("stop with characters queued")
            << "TransmitBtn" << true << 5 << false
            << QStringList{"fnGetTXCharsRemaining()", "fnAbortTX()", "fnClearTXBuffer()"};
        QTest::newRow("tune") << "TuneBtn" << false << 0 << true
                              << QStringList{"fnSetTXFrequency(1234)", "fnStartTX(3)"};
        QTest::newRow("CW ID") << "CWIDBtn" << false << 0 << false
                               << QStringList{"fnSetTXFrequency(900)", "fnStartTX(9)",
                                              "fnSendTXCharacter(2,1)", "fnStopTX()"};
        QTest::newRow("rewind") << "RewindBtn" << false << 0 << false << QStringList{"fnRewindInput(7)"};
    }
    void buttonCalls() {
        QFETCH(QString, button);
        QFETCH(bool, transmitting);
        QFETCH(int, remaining);
        QFETCH(bool, net);
        QFETCH(QStringList, expected);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.settings().RXMode = 9;
        f.settings().Blocks = 7;
        f.tuning().RXSpin->setValue(1234);
        f.tuning().TXSpin->setValue(900);
        f.tuning().NETCheck->setChecked(net);
        f.transmit().Transmitting = transmitting;
        f.toolBar().CWIdentification->setEnabled(true);
        fx.modem.txRemaining = remaining;
        QTest::mouseClick(f.findChild<QToolButton *>(button), Qt::LeftButton);
        QCOMPARE(fx.modem.calls, expected);
        QCOMPARE(f.tuning().TXSpin->value(), net ? 1234 : 900);
    }

    // The buttons along a transmission and a tune, row by row as the
    // operator and the library move it on: the pictures and hints follow
    // what the library reports, not the click.
    void buttonStates() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        auto icon = [](QAction *a) { return a->property("imageIndex").toInt(); };

        QTest::mouseClick(f.toolBar().TransmitBtn, Qt::LeftButton);
        QCOMPARE(icon(f.toolBar().Transmit), 3);
        QVERIFY(f.transmit().TXBuf->hasFocus());
        status(f, 1);
        QVERIFY(f.transmit().Transmitting);
        QCOMPARE(icon(f.toolBar().Transmit), 0);
        QCOMPARE(f.toolBar().Transmit->toolTip(), QString("Stop transmission"));
        QVERIFY(!f.toolBar().Tune->isEnabled() && f.toolBar().CWIdentification->isEnabled());
        QTest::mouseClick(f.toolBar().TransmitBtn, Qt::LeftButton);
        QCOMPARE(icon(f.toolBar().Transmit), 0);
        status(f, 0);
        QCOMPARE(icon(f.toolBar().Transmit), 3);
        QCOMPARE(f.toolBar().Transmit->toolTip(), QString("Toggle to transmit mode"));
        QVERIFY(f.toolBar().Tune->isEnabled() && !f.toolBar().CWIdentification->isEnabled());

        QTest::mouseClick(f.toolBar().TuneBtn, Qt::LeftButton);
        QVERIFY(f.transmit().Tuning);
        QVERIFY(!f.toolBar().Transmit->isEnabled());
        QCOMPARE(icon(f.toolBar().Tune), 4);
        status(f, 1);
        QCOMPARE(icon(f.toolBar().Tune), 0);
        QCOMPARE(f.toolBar().Tune->toolTip(), QString("Stop tuning"));
        QCOMPARE(icon(f.toolBar().Transmit), 3);
        fx.modem.calls.clear();
        QTest::mouseClick(f.toolBar().TuneBtn, Qt::LeftButton);
        QCOMPARE(fx.modem.calls, QStringList{"fnStopTX()"});
        QVERIFY(!f.transmit().Tuning);
        status(f, 0);
        QCOMPARE(icon(f.toolBar().Tune), 4);
        QCOMPARE(f.toolBar().Tune->toolTip(), QString("Send a tune"));
        QVERIFY(f.toolBar().Transmit->isEnabled());
    }

    // With the sound card stopped the transmit buttons only say so: nothing
    // reaches the library and no button changes, before or after Connect.
    void transmitButtonsWhileStopped() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        auto icon = [](QAction *a) { return a->property("imageIndex").toInt(); };
        for (QToolButton *b : {f.toolBar().TransmitBtn, f.toolBar().TuneBtn, f.toolBar().CWIDBtn})
            QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(fx.modem.callsOf({"fnStartTX", "fnStopTX", "fnSetTXFrequency", "fnSendTXCharacter"}),
                 QStringList{});
        QCOMPARE(fx.dialogs.beeps, 3);
        QCOMPARE(f.status().StatusMessage, QString("Error ! Soundcard is not active..."));
        QVERIFY(!f.transmit().Tuning && !f.transmit().Transmitting);
        fx.connect();
        QCOMPARE(icon(f.toolBar().Transmit), 3);
        QCOMPARE(icon(f.toolBar().Tune), 4);
        QCOMPARE(f.toolBar().Transmit->toolTip(), QString("Toggle to transmission mode"));
        QVERIFY(f.toolBar().Transmit->isEnabled() && f.toolBar().Tune->isEnabled());
    }

    // Stopping the sound card mid-tune gives the buttons back.
    void stoppingTheCardMidTune() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        auto icon = [](QAction *a) { return a->property("imageIndex").toInt(); };
        QTest::mouseClick(f.toolBar().TuneBtn, Qt::LeftButton);
        status(f, 1);
        f.toolBar().Connection->trigger();
        QCOMPARE(icon(f.toolBar().Tune), 4);
        QVERIFY(f.toolBar().Transmit->isEnabled());
    }

    // The library gets a quarter of a second to take a tune carrier or a
    // transmission off the air before the card stops under it.
    void stopSequenceWaitsForTheCarrier_data() {
        QTest::addColumn<bool>("tune");
        QTest::newRow("tune asked for") << true;
        QTest::newRow("transmission on the air") << false;
    }
    void stopSequenceWaitsForTheCarrier() {
        QFETCH(bool, tune);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        if (tune) {
            f.toolBar().Tune->trigger();
        } else {
            f.toolBar().Transmit->trigger();
            status(f, 1);
        }
        QVERIFY(f.transmit().Tuning == tune && f.transmit().Transmitting == !tune);
        QElapsedTimer stopping;
        stopping.start();
        f.toolBar().Connection->trigger();
        QVERIFY(stopping.elapsed() >= 249);
        QVERIFY(!f.link().SoundCardActive);
    }

    // A click on an arrow of the transmit spin steps it and then toggles
    // transmission like the Transmit button; with NET on it transmits on
    // the receive frequency.
    void transmitSpinArrows_data() {
        QTest::addColumn<int>("arrow");
        QTest::addColumn<bool>("net");
        QTest::addColumn<int>("hz");
        QTest::newRow("up") << int(SpinArrow::Up) << false << 901;
        QTest::newRow("down") << int(SpinArrow::Down) << false << 899;
        QTest::newRow("up with NET") << int(SpinArrow::Up) << true << 1500;
    }
    void transmitSpinArrows() {
        QFETCH(int, arrow);
        QFETCH(bool, net);
        QFETCH(int, hz);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.settings().RXMode = 1;
        f.tuning().RXSpin->setValue(1500);
        f.tuning().TXSpin->setValue(900);
        f.tuning().NETCheck->setChecked(net);
        clickArrow(f.tuning().TXSpin, SpinArrow(arrow));
        QCOMPARE(fx.modem.calls, QStringList({QString("fnSetTXFrequency(%1)").arg(hz), "fnStartTX(1)"}));
        QCOMPARE(f.tuning().TXSpin->value(), hz);
        status(f, 1);
        QCOMPARE(f.toolBar().Transmit->toolTip(), QString("Stop transmission"));
    }

    // The keys and the wheel step the frequency spins as their arrows do,
    // through the same handlers.
    void spinKeysAndWheel() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        ReceiveTuning &t = f.tuning();
        fx.modem.rxFrequency = 1000;
        f.settings().RXMode = 0;
        t.NETCheck->setChecked(false);
        t.AFCSpin->setValue(50);
        t.TXSpin->setValue(900);
        fx.modem.calls.clear();
        t.AFCSpin->setFocus();
        QTest::keyClick(t.AFCSpin, Qt::Key_Up);
        QWheelEvent wheel(QPointF(5, 5), t.AFCSpin->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(t.AFCSpin, &wheel);
        QCOMPARE(fx.modem.callsOf({"fnSetAFCLimit"}), QStringList({"fnSetAFCLimit(51,0)", "fnSetAFCLimit(50,0)"}));
        t.RXSpin->setFocus();
        QTest::keyClick(t.RXSpin, Qt::Key_Up);
        QCOMPARE(fx.modem.callsOf({"fnSetRXFrequency"}), QStringList{"fnSetRXFrequency(1001,10,0)"});
        fx.modem.calls.clear();
        t.TXSpin->setFocus();
        QTest::keyClick(t.TXSpin, Qt::Key_Down);
        QCOMPARE(fx.modem.callsOf({"fnSetTXFrequency", "fnStartTX"}),
                 QStringList({"fnSetTXFrequency(899)", "fnStartTX(0)"}));
    }

    // The pane's menu and its keys: Ctrl+X empties the pane and aborts,
    // pasted text shows but is never sent.
    void paneMenu() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        const QList<QAction *> items = f.transmit().TXPopup->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QString("Clear"));
        QCOMPARE(items[0]->shortcut(), QKeySequence("Ctrl+X"));
        QCOMPARE(items[1]->text(), QString("Copy"));
        QCOMPARE(items[2]->shortcut(), QKeySequence("Ctrl+V"));

        f.transmit().TXBuf->setFocus();
        QGuiApplication::clipboard()->setText("pasted");
        QTest::keyClick(f.transmit().TXBuf, Qt::Key_V, Qt::ControlModifier);
        items[2]->trigger();
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString("pastedpasted"));
        f.transmit().TXBuf->selectAll();
        QTest::keyClick(f.transmit().TXBuf, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("pastedpasted"));
        QCOMPARE(fx.modem.calls, QStringList{});
        QTest::keyClick(f.transmit().TXBuf, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString());
        QCOMPARE(fx.modem.calls, QStringList({"fnAbortTX()", "fnClearTXBuffer()"}));
    }

    // A text file goes out line by line, each line ended by a carriage
    // return whatever the file's line ends.
    void sendingATextFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("CR LF") << QByteArray("ab\r\nc\r\n") << QList<int>{'a', 'b', 13, 'c', 13};
        QTest::newRow("LF, last line open") << QByteArray("ab\n\nc") << QList<int>{'a', 'b', 13, 13, 'c', 13};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QList<int>{'a', 13, 'b', 13};
        QTest::newRow("empty file") << QByteArray() << QList<int>{13};
        QTest::newRow("tab") << QByteArray("a\tb") << QList<int>{'a', 9, 'b', 13};
        QTest::newRow("UTF-8") << QByteArray("\xef\xbb\xbf\xc3\xa9t\xc3\xa9 \xe2\x82\xac")
                               << QList<int>{233, 't', 233, ' ', '?', 13};
        QTest::newRow("8-bit") << QByteArray("\xe9t\xe9") << QList<int>{233, 't', 233, 13};
        QTest::newRow("NUL byte") << QByteArray("a\0b", 3) << QList<int>{'a', 0, 'b', 13};
    }
    void sendingATextFile() {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, codes);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        const QString path = fx.dir.filePath("send.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString title, filter;
        f.transmit().OpenDialog = [&](const QString &t, const QString &fl) {
            title = t;
            filter = fl;
            return path;
        };
        QTest::mouseClick(f.toolBar().SndTxtBtn, Qt::LeftButton);
        QCOMPARE(title, QString("Send a text file ?"));
        QCOMPARE(filter, QString("Text files (*.txt)"));
        QCOMPARE(fx.modem.calls, charactersOf(codes));
        QVERIFY(!f.transmit().SendingTextFile);
    }

    // Pieces of a file cut anywhere, even inside a character or between a
    // CR and its LF, read the same.
    void longFilesReadInPieces() {
        QTemporaryDir dir;
        const QString path = dir.filePath("long.txt");
        QByteArray content;
        while (content.size() < 200 * 1024)
            content += "line \xc3\xa9\r\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        TextFileReader reader(path);
        QVERIFY(reader.open());
        int lines = 0, accents = 0, other = 0;
        for (int c = reader.next(); c >= 0; c = reader.next()) {
            lines += c == 13;
            accents += c == 233;
            other += c != 13 && c != 233;
        }
        const int expected = static_cast<int>(content.size() / 9);
        QCOMPARE(lines, expected);
        QCOMPARE(accents, expected);
        QCOMPARE(other, 5 * expected);
        QVERIFY(!reader.failed());
    }

    // Stop, the sound card stopping or the window closing end a file send
    // where it is: no beep for every character left, and nothing keeps
    // typing (and the program running) after the window is gone.
    void fileSendEnds_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Stop") << "Stop";
        QTest::newRow("sound card stopped") << "card";
        QTest::newRow("window closed") << "close";
    }
    void fileSendEnds() {
        QFETCH(QString, how);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        const QString path = fx.dir.filePath("long.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'e'));
        file.close();
        f.toolBar().Transmit->trigger();
        status(f, 1);
        QVERIFY(f.transmit().Transmitting);
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        f.transmit().OpenDialog = [&](const QString &, const QString &) { return path; };
        // Acts while the first characters are being typed.
        QTimer::singleShot(0, &f, [&] {
            if (how == "Stop")
                f.toolBar().Transmit->trigger();
            else if (how == "card")
                f.toolBar().Connection->trigger();
            else
                f.close();
        });
        QTest::mouseClick(f.toolBar().SndTxtBtn, Qt::LeftButton);
        QVERIFY(!f.transmit().SendingTextFile);
        QVERIFY2(sent(fx.modem).size() < 1000, qPrintable(QString::number(sent(fx.modem).size())));
        QVERIFY(fx.dialogs.beeps <= 1);
    }

    void fileSendFailures() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        f.transmit().OpenDialog = [](const QString &, const QString &) { return QString(); };
        QTest::mouseClick(f.toolBar().SndTxtBtn, Qt::LeftButton);
        QCOMPARE(fx.modem.calls, QStringList{});
        QVERIFY(fx.dialogs.shown.isEmpty());
        // A file gone between the choice and the read, or no file at all.
        const QString gone = fx.dir.filePath("gone.txt");
        f.transmit().OpenDialog = [&](const QString &, const QString &) { return gone; };
        QTest::mouseClick(f.toolBar().SndTxtBtn, Qt::LeftButton);
        QCOMPARE(fx.modem.calls, QStringList{});
        QCOMPARE(fx.dialogs.shown.size(), 1);
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Error"));
        QVERIFY(fx.dialogs.shown[0].text.startsWith("The text file cannot be read: " + gone));
        // A directory opens but cannot be read as a file.
        f.transmit().OpenDialog = [&](const QString &, const QString &) { return fx.dir.path(); };
        QTest::mouseClick(f.toolBar().SndTxtBtn, Qt::LeftButton);
        QCOMPARE(fx.dialogs.shown.size(), 2);
        QVERIFY(!f.transmit().SendingTextFile);
    }

    // The tuning page's handlers, on the active track (3 here) or, for the
    // squelch, on channel 0.
    void tuningHandlers_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("receive up from the library's frequency")
            << "rx up" << QStringList{"fnGetRXFrequency(3)", "fnSetRXFrequency(1501,10,3)"};
        QTest::newRow("receive down")
            << "rx down" << QStringList{"fnGetRXFrequency(3)", "fnSetRXFrequency(1499,10,3)"};
        QTest::newRow("AFC cleared sends width 0") << "afc off" << QStringList{"fnSetAFCLimit(0,3)"};
        QTest::newRow("AFC set sends the width") << "afc on" << QStringList{"fnSetAFCLimit(60,3)"};
        QTest::newRow("AFC arrow with AFC cleared") << "afc arrow" << QStringList{"fnSetAFCLimit(61,3)"};
        QTest::newRow("squelch slider on channel 0")
            << "squelch" << QStringList{"fnSetSquelchThreshold(41,200,0)"};
        QTest::newRow("squelch speed") << "speed" << QStringList{"fnSetSquelchThreshold(40,199,0)"};
    }
    void tuningHandlers() {
        QFETCH(QString, action);
        QFETCH(QStringList, expected);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 4);
        f.tuning().AFCSpin->setValue(60);
        f.tuning().AFCCheck->setChecked(action == "afc off");
        f.tuning().SQTrack->setValue(40);
        f.tuning().SQSSPin->setValue(200);
        f.tuning().RXSpin->setValue(700);
        fx.modem.rxFrequency = 1500; // moved there by AFC
        fx.modem.calls.clear();
        if (action == "rx up" || action == "rx down")
            clickArrow(f.tuning().RXSpin, action == "rx up" ? SpinArrow::Up : SpinArrow::Down);
        else if (action == "afc off" || action == "afc on")
            QTest::mouseClick(f.tuning().AFCCheck, Qt::LeftButton);
        else if (action == "afc arrow")
            clickArrow(f.tuning().AFCSpin, SpinArrow::Up);
        else if (action == "squelch")
            QTest::keyClick(f.tuning().SQTrack, Qt::Key_Right);
        else
            clickArrow(f.tuning().SQSSPin, SpinArrow::Down);
        QCOMPARE(fx.modem.calls, expected);
        if (action.startsWith("rx"))
            QCOMPARE(f.tuning().RXSpin->value(), action == "rx up" ? 1501 : 1499);
        QCOMPARE(f.tuning().SQLbl1->text(),
                 QString("Squelsh threshold : %1").arg(f.tuning().SQTrack->value()));
    }

    // A value typed into a spin calls nothing while it is typed, and the
    // receiver's updates leave it alone; finishing it (Enter, or leaving the
    // field) sends it once, where the spin's arrows send theirs. A typed
    // transmit frequency waits for the next start: its arrows toggle the
    // transmitter, and leaving the field must never key the radio.
    void typedValuesAreSentOnceFinished_data() {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("receive, Enter") << "RXSpin"
                                        << "1234" << true << QStringList{"fnSetRXFrequency(1234,10,0)"};
        QTest::newRow("receive, leaving") << "RXSpin"
                                          << "1234" << false << QStringList{"fnSetRXFrequency(1234,10,0)"};
        QTest::newRow("AFC width, Enter") << "AFCSpin"
                                          << "35" << true << QStringList{"fnSetAFCLimit(35,0)"};
        QTest::newRow("AFC width, leaving") << "AFCSpin"
                                            << "35" << false << QStringList{"fnSetAFCLimit(35,0)"};
        QTest::newRow("squelch speed, leaving")
            << "SQSSPin"
            << "150" << false << QStringList{"fnSetSquelchThreshold(10,150,0)"};
        QTest::newRow("transmit, leaving") << "TXSpin"
                                           << "1234" << false << QStringList{};
    }
    void typedValuesAreSentOnceFinished() {
        QFETCH(QString, spin);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QStringList, sent);
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        auto *box = f.tuning().ChannelTab->findChild<QSpinBox *>(spin);
        QVERIFY(box);
        const QStringList setters{"fnSetRXFrequency", "fnSetAFCLimit", "fnSetSquelchThreshold",
                                  "fnSetTXFrequency"};
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, typed);
        fx.modem.rxFrequency = 1500;
        dataReady(f);
        QCOMPARE(box->text(), typed);
        QCOMPARE(fx.modem.callsOf(setters), QStringList{});

        if (enter) {
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(fx.modem.callsOf(setters), sent);
        }
        f.transmit().TXBuf->setFocus();
        QTRY_VERIFY(!box->hasFocus());
        QCOMPARE(fx.modem.callsOf(setters), sent);
        QCOMPARE(box->text(), typed);

        // Once finished, the receive spin follows the library again.
        dataReady(f);
        QCOMPARE(f.tuning().RXSpin->value(), 1500);
        if (spin == "TXSpin") {
            f.tuning().NETCheck->setChecked(false);
            QTest::mouseClick(f.toolBar().TransmitBtn, Qt::LeftButton);
            QCOMPARE(fx.modem.callsOf(setters), QStringList{"fnSetTXFrequency(1234)"});
        }
    }

    // A track made while a frequency is typed takes over the receive spin:
    // the library's frequency shows again and leaving the field sends nothing.
    void aNewTrackReplacesATypedFrequency() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 1);
        QSpinBox *rx = f.tuning().RXSpin;
        rx->setFocus();
        QTRY_VERIFY(rx->hasFocus());
        rx->selectAll();
        QTest::keyClicks(rx, "1234");
        QTest::mouseClick(f.displays().WaterfallDisplay, Qt::LeftButton, {}, QPoint(30, 200));
        QVERIFY(rx->value() != 1234);
        fx.modem.rxFrequency = 1500;
        dataReady(f);
        QCOMPARE(rx->value(), 1500);
        fx.modem.calls.clear();
        f.transmit().TXBuf->setFocus();
        QTRY_VERIFY(!rx->hasFocus());
        QCOMPARE(fx.modem.callsOf({"fnSetRXFrequency"}), QStringList{});
    }

    // The page goes grey while transmitting and back with reception; a
    // clear of the tracks leaves it usable until then.
    void pageStateFollowsTheLibrary() {
        FormFixture fx;
        TPSKForm &f = withTracks(fx, 2);
        QVERIFY(f.tuning().Canal->isEnabled());
        status(f, 1);
        QVERIFY(!f.tuning().Canal->isEnabled());
        status(f, 0);
        QVERIFY(f.tuning().Canal->isEnabled());
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        QTest::mouseClick(f.toolBar().ClearTrackBtn, Qt::LeftButton);
        QVERIFY(f.tuning().Canal->isEnabled());
        status(f, 0);
        QVERIFY(!f.tuning().Canal->isEnabled());
    }
};

QTEST_MAIN(TestTransmitControl)
#include "test_transmit_control.moc"
