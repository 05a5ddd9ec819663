// The QSO box on the main window and the ADIF dialog behind its Store
// button: button states, the checks and their messages, the pick-up from the
// receive pane, and what reaches the log file.

#include "log/LogGrid.h"
#include "log/TADIFForm.h"
#include "log/TVarnekForm.h"
#include "test_log_support.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const QDateTime StoreTime(QDate(2026, 12, 10), QTime(13, 5, 10), Qt::UTC);
const QDateTime SaveTime(QDate(2026, 12, 10), QTime(13, 12, 45), Qt::UTC);

void fillQsoBox(TPSKForm &f, const QString &call, const QString &report) {
    f.qso().HisCall->setText(call);
    f.qso().HisRep->setText(report);
}

// What the operator completes in the dialog before Save.
void completeDialog(TADIFForm *d) {
    d->FREQEdit->setEditText(QStringLiteral("14070.150"));
    d->RSTREdit->setText(QStringLiteral("599"));
}

} // namespace

class TestLogQsoBox : public QObject {
    Q_OBJECT
private slots:
    void viewIsEnabledOnlyWithALogFile() {
        for (bool withLog : {false, true}) {
            FormFixture fx;
            if (withLog)
                QFile::copy(logFixture("header-only.adi"), fx.dir.filePath(QStringLiteral("Varneklog.adi")));
            TPSKForm &f = createInOwnFolder(fx);
            QCOMPARE(f.qso().ViewBtn->isEnabled(), withLog);
            QVERIFY(!f.qso().ClearBtn->isEnabled() && !f.qso().StoreBtn->isEnabled());
        }
    }

    void callSignChangeAndClear() {
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        QTest::keyClicks(f.qso().HisCall, QStringLiteral("F"));
        QVERIFY(f.qso().ClearBtn->isEnabled() && f.qso().StoreBtn->isEnabled());
        f.qso().ClearBtn->setEnabled(false);
        // Also a change to an empty text enables them.
        QTest::keyClick(f.qso().HisCall, Qt::Key_Backspace);
        QVERIFY(f.qso().ClearBtn->isEnabled() && f.qso().StoreBtn->isEnabled());

        f.qso().HisCall->setText(QStringLiteral("F6XYZ"));
        f.qso().HisName->setText(QStringLiteral("Jean"));
        f.qso().HisRep->setText(QStringLiteral("599"));
        f.qso().TheInfo->setText(QStringLiteral("tnx"));
        f.TimerTimer();
        const QString date = f.qso().TheDate->text();
        QTest::mouseClick(f.qso().ClearBtn, Qt::LeftButton);
        for (QLineEdit *e : {f.qso().HisCall, f.qso().HisName, f.qso().HisRep, f.qso().TheInfo})
            QVERIFY2(e->text().isEmpty(), qPrintable(e->objectName()));
        QCOMPARE(f.qso().TheDate->text(), date);
        QVERIFY(!f.qso().TheTime->text().isEmpty());
        QVERIFY(!f.qso().ClearBtn->isEnabled() && !f.qso().StoreBtn->isEnabled());
    }

    void storeChecksTheBox_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank call") << "   "
                                    << "599" << true << ""
                                    << "Field \"His Callsign\" is empty !";
        QTest::newRow("call and report empty") << ""
                                               << "" << true << ""
                                               << "Field \"His Callsign\" is empty !";
        QTest::newRow("no report") << "F6XYZ"
                                   << " " << true << ""
                                   << "Field \"His Report\" is empty !";
        QTest::newRow("before the first tick") << "F6XYZ"
                                               << "599" << false << ""
                                               << "Field \"Date\" is empty !";
        QTest::newRow("time emptied") << "F6XYZ"
                                      << "599" << true << " "
                                      << "Field \"Hour\" is empty !";
    }
    void storeChecksTheBox() {
        QFETCH(QString, call);
        QFETCH(QString, report);
        QFETCH(bool, ticked);
        QFETCH(QString, time);
        QFETCH(QString, message);
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        if (ticked)
            f.TimerTimer();
        if (!time.isEmpty())
            f.qso().TheTime->setText(time);
        fillQsoBox(f, call, report);
        f.qso().StoreBtnClick();
        QCOMPARE(fx.dialogs.texts(), QStringList{message});
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("Warning"));
        QVERIFY(fx.dialogs.shown.first().icon == Dialogs::Icon::Warning);
        QVERIFY(!f.qso().ADIFForm);
        QCOMPARE(f.qso().HisCall->text(), call);
    }

    // The whole road of one contact: typed into the QSO box, completed and
    // saved in the dialog, shown by the viewer.
    void storedContactReachesTheLogAndTheViewer() {
        FormFixture fx;
        fx.clock.set(StoreTime);
        TPSKForm &f = createInOwnFolder(fx);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.TimerTimer();
        QTest::keyClicks(f.qso().HisCall, QStringLiteral(" F6XYZ "));
        QTest::keyClicks(f.qso().HisName, QStringLiteral("Jean"));
        QTest::keyClicks(f.qso().HisRep, QStringLiteral("579"));
        QTest::keyClicks(f.qso().TheInfo, QStringLiteral(" 73 de Ren"));
        QTest::sendKeyEvent(QTest::Click, f.qso().TheInfo, Qt::Key_Eacute, QString::fromUtf8("é"),
                            Qt::NoModifier);
        QVERIFY(f.qso().StoreBtn->isEnabled() && !f.qso().ViewBtn->isEnabled());

        bool saved = false;
        onNextModal([&](QDialog *dialog) {
            auto *d = qobject_cast<TADIFForm *>(dialog);
            QVERIFY(d && d == f.qso().ADIFForm);
            QCOMPARE(d->windowTitle(), QStringLiteral("Save this QSO under ADIF format"));
            QCOMPARE(d->CALLEdit->text(), QStringLiteral(" F6XYZ "));
            QCOMPARE(d->NAMEEdit->text(), QStringLiteral("Jean"));
            QCOMPARE(d->DATEEdit->text(), f.qso().TheDate->text());
            QCOMPARE(d->HOUREdit->text(), f.qso().TheTime->text());
            QCOMPARE(d->MODEEdit->text(), QStringLiteral("PSK31"));
            QCOMPARE(d->RSTDEdit->text(), QStringLiteral("579"));
            QCOMPARE(d->INFOEdit->text(), QString::fromUtf8(" 73 de René"));
            QVERIFY(d->RSTREdit->text().isEmpty() && d->FREQEdit->currentText().isEmpty());
            QVERIFY(d->CreateBtn->isEnabled() && !d->AcceptBtn->isEnabled());

            QTest::mouseClick(d->CreateBtn, Qt::LeftButton);
            QVERIFY(!d->CreateBtn->isEnabled() && d->AcceptBtn->isEnabled());
            QVERIFY(d->isVisible());
            QTest::keyClicks(d->FREQEdit, QStringLiteral("14070.150"));
            QTest::keyClicks(d->RSTREdit, QStringLiteral("599 "));
            // Neither the date shown nor the minutes that pass change what
            // is written: the record takes the time of the Save.
            d->DATEEdit->setText(QStringLiteral("1999/01/01"));
            fx.clock.set(SaveTime);
            QTest::mouseClick(d->AcceptBtn, Qt::LeftButton);
            saved = !d->isVisible();
        });
        QTest::mouseClick(f.qso().StoreBtn, Qt::LeftButton);
        QVERIFY(saved);
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(fileBytes(f.qso().LogFileName()), fileBytes(logFixture("stored-contact.adi")));
        for (QLineEdit *e : {f.qso().HisCall, f.qso().HisName, f.qso().HisRep, f.qso().TheInfo})
            QVERIFY2(e->text().isEmpty(), qPrintable(e->objectName()));
        QVERIFY(!f.qso().StoreBtn->isEnabled() && !f.qso().ClearBtn->isEnabled() &&
                f.qso().ViewBtn->isEnabled());

        QStringList row;
        QString caption;
        onNextModal([&](QDialog *dialog) {
            auto *v = qobject_cast<TVarnekForm *>(dialog);
            QVERIFY(v);
            caption = v->windowTitle();
            for (int c = 0; c < TVarnekForm::ColumnCount; ++c)
                row << v->VarnekGrid->cell(1, c);
            QCOMPARE(v->VarnekGrid->rowCount(), 18);
        });
        QTest::mouseClick(f.qso().ViewBtn, Qt::LeftButton);
        QCOMPARE(row, (QStringList{"1", "F6XYZ", "10/12/2026", "13:12", "20m", "PSK31", "599", "579", "Jean",
                                   QString::fromUtf8(" 73 de René")}));
        const QString localDate =
            QLocale::system().toString(SaveTime.date(), QStringLiteral("dddd d MMMM yyyy"));
        QCOMPARE(caption, QStringLiteral("Your log as for  ") + localDate);
    }

    void saveChecksTheFields_data() {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QString>("message");
        QTest::newRow("call") << QStringList{"CALLEdit"} << "Field \"CallSign\" is empty !";
        QTest::newRow("call and frequency")
            << QStringList{"FREQEdit", "CALLEdit"} << "Field \"CallSign\" is empty !";
        QTest::newRow("date") << QStringList{"DATEEdit"} << "Field \"Date\" is empty !";
        QTest::newRow("hour") << QStringList{"HOUREdit"} << "Field \"UTC Hour\" is empty !";
        QTest::newRow("frequency") << QStringList{"FREQEdit"} << "Field \"Frequency\" is empty !";
        QTest::newRow("mode") << QStringList{"MODEEdit"} << "Field \"Mode\" is empty !";
        QTest::newRow("report received") << QStringList{"RSTREdit"} << "Field \"Report received\" is empty !";
        QTest::newRow("report given") << QStringList{"RSTDEdit"} << "Field \"Report given\" is empty !";
    }
    void saveChecksTheFields() {
        QFETCH(QStringList, emptied);
        QFETCH(QString, message);
        FormFixture fx;
        QFile::copy(logFixture("header-only.adi"), fx.dir.filePath(QStringLiteral("Varneklog.adi")));
        TPSKForm &f = createInOwnFolder(fx);
        f.TimerTimer();
        fillQsoBox(f, QStringLiteral("F6XYZ"), QStringLiteral("599"));
        bool stayedOpen = false;
        onNextModal([&](QDialog *dialog) {
            auto *d = static_cast<TADIFForm *>(dialog);
            completeDialog(d);
            for (const QString &name : emptied) {
                if (auto *box = d->findChild<QComboBox *>(name))
                    box->setEditText(QStringLiteral(" "));
                else
                    d->findChild<QLineEdit *>(name)->setText(QStringLiteral(" "));
            }
            QTest::mouseClick(d->AcceptBtn, Qt::LeftButton);
            stayedOpen = d->isVisible() && d->AcceptBtn->isEnabled();
        });
        f.qso().StoreBtnClick();
        QVERIFY(stayedOpen);
        QCOMPARE(fx.dialogs.texts(), QStringList{message});
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("VARNEK v1.6a"));
        QCOMPARE(fx.dialogs.beeps, 1);
        QCOMPARE(fileBytes(f.qso().LogFileName()), fileBytes(logFixture("header-only.adi")));
    }

    // The dialog is made once: the frequency stays from one use to the
    // next, the received report is emptied each time, and however it closes
    // the QSO box is emptied.
    void dialogLivesForTheRun() {
        FormFixture fx;
        QFile::copy(logFixture("header-only.adi"), fx.dir.filePath(QStringLiteral("Varneklog.adi")));
        TPSKForm &f = createInOwnFolder(fx);
        f.TimerTimer();
        fillQsoBox(f, QStringLiteral("F6XYZ"), QStringLiteral("599"));
        f.qso().HisName->setText(QStringLiteral("Jean"));
        onNextModal([](QDialog *d) {
            static_cast<TADIFForm *>(d)->FREQEdit->setEditText(QStringLiteral("7035.15"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        f.qso().StoreBtnClick();
        TADIFForm *first = f.qso().ADIFForm;
        QVERIFY(first);
        QVERIFY(f.qso().HisCall->text().isEmpty() && f.qso().HisName->text().isEmpty());
        QVERIFY(!f.qso().StoreBtn->isEnabled() && !f.qso().ClearBtn->isEnabled());

        fillQsoBox(f, QStringLiteral("K1AB"), QStringLiteral("559"));
        QString frequency, received;
        onNextModal([&](QDialog *d) {
            frequency = static_cast<TADIFForm *>(d)->FREQEdit->currentText();
            received = static_cast<TADIFForm *>(d)->RSTREdit->text();
            QTest::mouseClick(static_cast<TADIFForm *>(d)->CancelBtn, Qt::LeftButton);
        });
        f.qso().ADIFForm->RSTREdit->setText(QStringLiteral("left over"));
        f.qso().StoreBtnClick();
        QCOMPARE(f.qso().ADIFForm, first);
        QCOMPARE(frequency, QStringLiteral("7035.15"));
        QVERIFY(received.isEmpty());
        QVERIFY(f.qso().HisCall->text().isEmpty());
        QCOMPARE(fileBytes(f.qso().LogFileName()), fileBytes(logFixture("header-only.adi")));
    }

    void informations() {
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        f.TimerTimer();
        fillQsoBox(f, QStringLiteral("F6XYZ"), QStringLiteral("599"));
        onNextModal([](QDialog *d) {
            auto *info = static_cast<TADIFForm *>(d)->InfoBtn;
            QCOMPARE(info->focusPolicy(), Qt::NoFocus);
            QTest::mouseClick(info, Qt::LeftButton);
        });
        f.qso().StoreBtnClick();
        QCOMPARE(fx.dialogs.shown.size(), 1);
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("Information"));
        QVERIFY(fx.dialogs.shown.first().text.startsWith(
            QStringLiteral("This dialog allows you to save your datas in an ADIF database. Thus\r\n")));
        QVERIFY(fx.dialogs.shown.first().text.endsWith(QStringLiteral("fill all the empty edit boxes...")));
    }

    // A Save that cannot write leaves the file as it was and keeps the
    // dialog open with its fields, so the operator can try again.
    void failedSaveKeepsTheContact_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("file removed") << "removed"
                                      << "File not found";
#ifdef Q_OS_UNIX
        QTest::newRow("disk full mid-record") << "partial"
                                              << "File too large";
#endif
    }
    void failedSaveKeepsTheContact() {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        FormFixture fx;
        const QString path = fx.dir.filePath(QStringLiteral("Varneklog.adi"));
        QFile::copy(logFixture("stored-contact.adi"), path);
        TPSKForm &f = createInOwnFolder(fx);
        f.TimerTimer();
        fillQsoBox(f, QStringLiteral("G4BBB"), QStringLiteral("599"));
        bool open = false, saveEnabled = false, createEnabled = true;
        QString call;
        onNextModal([&](QDialog *dialog) {
            auto *d = static_cast<TADIFForm *>(dialog);
            completeDialog(d);
            if (failure == QLatin1String("removed")) {
                QFile::remove(path);
                QTest::mouseClick(d->AcceptBtn, Qt::LeftButton);
            } else {
#ifdef Q_OS_UNIX
                rlimit old{};
                getrlimit(RLIMIT_FSIZE, &old);
                const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
                rlimit small = old;
                small.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size() + 30);
                setrlimit(RLIMIT_FSIZE, &small);
                QTest::mouseClick(d->AcceptBtn, Qt::LeftButton);
                setrlimit(RLIMIT_FSIZE, &old);
                std::signal(SIGXFSZ, oldHandler);
#endif
            }
            open = d->isVisible();
            saveEnabled = d->AcceptBtn->isEnabled();
            createEnabled = d->CreateBtn->isEnabled();
            call = d->CALLEdit->text();
        });
        f.qso().StoreBtnClick();
        QVERIFY(open);
        QVERIFY(saveEnabled && !createEnabled);
        QCOMPARE(call, QStringLiteral("G4BBB"));
        QCOMPARE(fx.dialogs.texts(), QStringList{message});
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("Error"));
        if (failure == QLatin1String("removed"))
            QVERIFY(!QFile::exists(path)); // Save never makes a log without its header
        else
            QCOMPARE(fileBytes(path), fileBytes(logFixture("stored-contact.adi")));
    }

    void pickUpFromTheReceivePane_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("name");
        QTest::newRow("call sign") << "F6XYZ"
                                   << "F6XYZ"
                                   << "old name";
        QTest::newRow("report 599") << "599"
                                    << "599"
                                    << "old name";
        QTest::newRow("report 5NN") << "5NN"
                                    << "5NN"
                                    << "old name";
        QTest::newRow("name") << "Jean"
                              << "old call"
                              << "Jean";
    }
    void pickUpFromTheReceivePane() {
        QFETCH(QString, word);
        QFETCH(QString, call);
        QFETCH(QString, name);
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.qso().HisCall->setText(QStringLiteral("old call"));
        f.qso().HisName->setText(QStringLiteral("old name"));
        f.qso().ClearBtn->setEnabled(false);
        f.qso().StoreBtn->setEnabled(false);
        f.qso().RXBuf->setPlainText(QStringLiteral("cq cq de F6XYZ ur 599 5NN name Jean k"));

        QTextCursor at(f.qso().RXBuf->document());
        at.setPosition(static_cast<int>(f.qso().RXBuf->toPlainText().indexOf(word)) + 1);
        QTest::mouseDClick(f.qso().RXBuf->viewport(), Qt::LeftButton, {},
                           f.qso().RXBuf->cursorRect(at).center());
        // The pane selects the word first; the pick-up then takes it and
        // removes the selection.
        QVERIFY(f.qso().RXBuf->textCursor().hasSelection());
        QTRY_VERIFY(!f.qso().RXBuf->textCursor().hasSelection());
        QCOMPARE(f.qso().HisCall->text(), call);
        QCOMPARE(f.qso().HisName->text(), name);
        const bool toCall = call == word;
        QCOMPARE(f.qso().StoreBtn->isEnabled(), toCall);
        QCOMPARE(f.qso().ClearBtn->isEnabled(), toCall);
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(!f.qso().RXBuf->isReadOnly());
    }

    void doubleClickOnNothingPicksUpNothing() {
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QGuiApplication::clipboard()->setText(QStringLiteral("operator's own text"));
        QTest::mouseDClick(f.qso().RXBuf->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        QTest::qWait(20);
        QVERIFY(f.qso().HisCall->text().isEmpty() && f.qso().HisName->text().isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("operator's own text"));
        QGuiApplication::clipboard()->clear();
    }
};

QTEST_MAIN(TestLogQsoBox)
#include "test_log_qsobox.moc"
