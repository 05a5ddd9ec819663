// The macro buttons of the main window and the function keys, on a window
// with a recording modem: what is typed, what is keyed, and when the buttons
// can be used.

#include "FormFixture.h"
#include "macros/TMkProcForm.h"
#include "macros/TWizForm.h"

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

// Macro i types "<i>".
QByteArray fortyMacros() {
    QByteArray ini = "[Macros]\n";
    for (int n = 1; n <= 40; ++n)
        ini +=
            QStringLiteral("MacroName%1=N%1\nMacroHint%1=H%1\nMacroText%1=<%2>\n").arg(n).arg(n - 1).toUtf8();
    return ini;
}

// The characters the library was given, as text; the controls as {TAB}, {ETX}.
QString sent(const RecordingModem &modem) {
    QString out;
    for (const QString &call : modem.callsOf({QStringLiteral("fnSendTXCharacter")})) {
        const QStringList args = call.mid(18, call.size() - 19).split(QLatin1Char(','));
        const int code = args.value(0).toInt();
        if (args.value(1) == QLatin1String("1"))
            out += code == 2 ? QStringLiteral("{TAB}") : QStringLiteral("{ETX}");
        else
            out += QChar(code);
    }
    return out;
}

} // namespace

class TestMacroBar : public QObject {
    Q_OBJECT
private slots:
    void loadAtStart() {
        FormFixture f;
        f.storeText("[Macros]\nMacroName1=CQ\nMacroHint1=Call\nMacroText1=cq\nMacroName2=B\nMacroName3=C\n"
                    "MacroName5=E\n");
        TPSKForm &form = f.create();
        const auto &buttons = form.macros().MacroButtons;
        QCOMPARE(buttons[0]->text(), QStringLiteral("CQ"));
        QCOMPARE(buttons[0]->toolTip(), QStringLiteral("Call"));
        QCOMPARE(buttons[2]->text(), QStringLiteral("C"));
        QVERIFY(buttons[4]->text().isEmpty());
        QCOMPARE(form.macros().table().MacroCount, 3);
        for (QPushButton *b : buttons)
            QVERIFY(!b->isEnabled());
        QCOMPARE(buttons[0]->objectName(), QStringLiteral("M1"));
        QCOMPARE(buttons[10]->geometry(), QRect(86, 4, 86, 20));
        QCOMPARE(buttons[29]->geometry(), QRect(0, 184, 86, 20));
        QCOMPARE(buttons[20]->parentWidget(), form.macros().MacroSheet2);
        QCOMPARE(form.macros().MacroPage->tabText(1), QStringLiteral("Macros 2"));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // The table "when the macro buttons are usable".
    void usable() {
        FormFixture f;
        f.storeText("[Macros]\nMacroName1=A\nMacroName2=B\n");
        TPSKForm &form = f.create();
        MacroBar &bar = form.macros();
        f.connect();
        f.addTrack(0);
        form.ActiveButtons(true);
        QVERIFY(bar.MacroSheet1->isEnabled());
        QVERIFY(bar.MacroButtons[0]->isEnabled() && bar.MacroButtons[1]->isEnabled());
        QVERIFY(!bar.MacroButtons[2]->isEnabled());
        QCOMPARE(bar.MacroButtons[0]->cursor().shape(), Qt::PointingHandCursor);
        form.ActiveButtons(false); // the last track removed: pages off, buttons as they were
        QVERIFY(!bar.MacroSheet1->isEnabled() && bar.MacroButtons[0]->isEnabledTo(bar.MacroSheet1));
        bar.DisableAll();
        QVERIFY(!bar.MacroButtons[0]->isEnabled());
    }

    // F1..F20 launch macros 0..19 from the window they are typed in; the key
    // goes on; F21 and other keys launch nothing.
    void functionKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("F1") << int(Qt::Key_F1) << "<0>";
        QTest::newRow("F5") << int(Qt::Key_F5) << "<4>";
        QTest::newRow("F20") << int(Qt::Key_F20) << "<19>";
        QTest::newRow("F21") << int(Qt::Key_F21) << "";
        QTest::newRow("F24") << int(Qt::Key_F24) << "";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "";
    }
    void functionKeys() {
        QFETCH(int, key);
        QFETCH(QString, typed);
        FormFixture f;
        f.storeText(fortyMacros());
        TPSKForm &form = f.create();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        f.connect();
        QLineEdit *focused = form.qso().HisName;
        focused->setFocus();
        int reached = 0;
        struct Counter : QObject {
            int &n;
            int key;
            Counter(int &count, int k) : n(count), key(k) {}
            bool eventFilter(QObject *, QEvent *e) override {
                if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == key)
                    ++n;
                return false;
            }
        } counter(reached, key);
        focused->installEventFilter(&counter);
        QTest::keyClick(form.windowHandle(), Qt::Key(key));
        QCOMPARE(sent(f.modem), typed);
        QCOMPARE(reached, 1); // the focused control still gets the key
    }

    // A held key launches again with each repeat; keys in another window of
    // the program launch too, also with the sound card stopped.
    void repeatsAndOtherWindows() {
        FormFixture f;
        f.storeText(fortyMacros());
        TPSKForm &form = f.create();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        f.connect();
        QTest::simulateEvent(form.windowHandle(), true, Qt::Key_F3, Qt::NoModifier, QString(), false);
        QTest::simulateEvent(form.windowHandle(), true, Qt::Key_F3, Qt::NoModifier, QString(), true);
        QTest::simulateEvent(form.windowHandle(), true, Qt::Key_F3, Qt::NoModifier, QString(), true);
        QTest::simulateEvent(form.windowHandle(), false, Qt::Key_F3, Qt::NoModifier, QString(), false);
        QCOMPARE(sent(f.modem), QStringLiteral("<2><2><2>"));

        QDialog other(&form);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::keyClick(other.windowHandle(), Qt::Key_F4);
        QCOMPARE(sent(f.modem), QStringLiteral("<2><2><2><3>"));

        // Stopped: the text is still typed, and the transmit pane refuses it.
        form.toolBar().Connection->trigger();
        f.dialogs.beeps = 0;
        QTest::keyClick(form.windowHandle(), Qt::Key_F5);
        QCOMPARE(f.dialogs.beeps, 3);
        QCOMPARE(form.status().StatusMessage, QStringLiteral("Error ! Soundcard is not active..."));
    }

    // \t keys the transmitter before anything is typed, as Transmit does but
    // without the CW ID button; while tuning it only disappears.
    void keyingMacro() {
        FormFixture f;
        f.storeText("[Settings]\nRXMode=1\n[Macros]\nMacroName1=K\nMacroText1=ab\\\\t\\\\z\n");
        TPSKForm &form = f.create();
        f.connect();
        f.addTrack(0);
        form.ActiveButtons(true);
        form.tuning().RXSpin->setValue(1500); // the NET box copies it to TXSpin
        const bool cwIdBefore = form.toolBar().CWIdentification->isEnabled();
        QTest::mouseClick(form.macros().MacroButtons[0], Qt::LeftButton);
        const QStringList calls = f.modem.callsOf({"fnSetTXFrequency", "fnStartTX", "fnSendTXCharacter"});
        QCOMPARE(calls, (QStringList{"fnSetTXFrequency(1500)", "fnStartTX(1)", "fnSendTXCharacter(97,0)",
                                     "fnSendTXCharacter(98,0)", "fnSendTXCharacter(1,1)"}));
        QCOMPARE(form.toolBar().Transmit->toolTip(), QStringLiteral("Stop transmission"));
        QVERIFY(!form.toolBar().Tune->isEnabled());
        QCOMPARE(form.toolBar().CWIdentification->isEnabled(), cwIdBefore);

        f.modem.calls.clear();
        form.transmit().Tuning = true;
        form.macros().LaunchMacro(0);
        QCOMPARE(f.modem.callsOf({"fnStartTX", "fnSetTXFrequency"}), QStringList{});
        QCOMPARE(sent(f.modem), QStringLiteral("ab{ETX}"));
    }

    // The QSO box answers the codes; the questions fill it in.
    void qsoFields() {
        FormFixture f;
        f.storeText(
            "[Settings]\nMyCall=Q9ZZV\n[Macros]\nMacroName1=A\nMacroText1=\\\\c de \\\\m \\\\h\\\\w\n");
        TPSKForm &form = f.create();
        f.connect();
        form.qso().RXBuf->setPlainText(QStringLiteral("old"));
        form.qso().HisName->setText(QStringLiteral("  Jean "));
        f.dialogs.textAnswers << QStringLiteral("Q1ABC");
        form.macros().LaunchMacro(0);
        QCOMPARE(sent(f.modem), QStringLiteral("Q1ABC de Q9ZZV Jean"));
        QCOMPARE(form.qso().HisCall->text(), QStringLiteral("Q1ABC"));
        QCOMPARE(form.qso().RXBuf->toPlainText(), QString());
        QCOMPARE(f.dialogs.shown.first().caption, QStringLiteral("Callsign is missing"));
    }

    // After the editor the buttons show the table: a new macro works at once,
    // a deleted one's button goes off.
    void refreshAfterEditor() {
        FormFixture f;
        f.storeText("[Macros]\nMacroName1=A\nMacroText1=a\nMacroName2=B\nMacroText2=b\n");
        TPSKForm &form = f.create();
        MacroBar &bar = form.macros();
        f.connect();
        f.addTrack(0);
        f.addTrack(1);
        form.ActiveButtons(true);
        bar.runEditor = [](TMkProcForm &editor) {
            editor.show();
            editor.ProcListClick(); // nothing chosen yet
            editor.ProcList->setCurrentRow(0);
            editor.ProcListClick();
            editor.EraseBtnClick(); // answered below
            editor.NomEdit->setText(QStringLiteral("New one"));
            editor.HintEdit->setPlainText(QStringLiteral("hint"));
            editor.TextEdit->setPlainText(QStringLiteral("new"));
            editor.SaveBtnClick();
            editor.close();
            return int(QDialog::Accepted);
        };
        f.dialogs.answers << Dialogs::Answer::Yes;
        form.toolBar().MacroDialog->trigger();
        QCOMPARE(bar.MacroButtons[0]->text(), QStringLiteral("B"));
        QCOMPARE(bar.MacroButtons[1]->text(), QStringLiteral("New one"));
        QCOMPARE(bar.MacroButtons[1]->toolTip(), QStringLiteral("hint"));
        QVERIFY(bar.MacroButtons[1]->isEnabled());
        QVERIFY(bar.MacroButtons[2]->text().isEmpty());
        QVERIFY(!bar.MacroButtons[2]->isEnabled());
        QTest::mouseClick(bar.MacroButtons[1], Qt::LeftButton);
        QCOMPARE(sent(f.modem), QStringLiteral("new"));
    }

    void wizard_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("sound card stopped") << false;
        QTest::newRow("running with a track") << true;
    }
    void wizard() {
        QFETCH(bool, running);
        FormFixture f;
        TPSKForm &form = f.create();
        MacroBar &bar = form.macros();
        if (running) {
            f.connect();
            f.addTrack(0);
            form.ActiveButtons(true);
        }
        bar.runWizard = [](TWizForm &w) {
            w.show();
            if (w.CreateBtn->isEnabled())
                return int(QDialog::Rejected); // enabled before any change
            w.CallEdit->clear();
            QTest::keyClicks(w.CallEdit, QStringLiteral("Q7XYZ"));
            QTest::mouseClick(w.CreateBtn, Qt::LeftButton);
            return w.result();
        };
        form.toolBar().WizardDialog->trigger();
        QCOMPARE(form.settings().MyCall, QStringLiteral("Q7XYZ"));
        QCOMPARE(f.store->readString(StoreGroup::settings(), QStringLiteral("MyCall"), {}),
                 QStringLiteral("Q7XYZ"));
        const QStringList names{"CQ CQ...",   "ANSWER",  "REPORT", "BTU",
                                "END OF QSO", "STATION", "MY QTH", "QSL INFO"};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(bar.MacroButtons[static_cast<size_t>(i)]->text(), names[i]);
            QCOMPARE(bar.MacroButtons[static_cast<size_t>(i)]->isEnabled(), running);
        }
        QCOMPARE(bar.table().MacroCount, 8);
    }

    void wizardCancelled() {
        FormFixture f;
        TPSKForm &form = f.create();
        form.macros().runWizard = [](TWizForm &) { return int(QDialog::Rejected); };
        form.toolBar().WizardDialog->trigger();
        QCOMPARE(form.macros().table().MacroCount, 0);
        QVERIFY(form.macros().MacroButtons[0]->text().isEmpty());
    }
};

QTEST_MAIN(TestMacroBar)
#include "test_macros_bar.moc"
