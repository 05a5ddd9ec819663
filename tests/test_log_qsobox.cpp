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
    f.HisCall->setText(call);
    f.HisRep->setText(report);
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
            QCOMPARE(f.ViewBtn->isEnabled(), withLog);
            QVERIFY(!f.ClearBtn->isEnabled() && !f.StoreBtn->isEnabled());
        }
    }

    void callSignChangeAndClear() {
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        QTest::keyClicks(f.HisCall, QStringLiteral("F"));
        QVERIFY(f.ClearBtn->isEnabled() && f.StoreBtn->isEnabled());
        f.ClearBtn->setEnabled(false);
        // Also a change to an empty text enables them.
        QTest::keyClick(f.HisCall, Qt::Key_Backspace);
        QVERIFY(f.ClearBtn->isEnabled() && f.StoreBtn->isEnabled());

        f.HisCall->setText(QStringLiteral("F6XYZ"));
        f.HisName->setText(QStringLiteral("Jean"));
        f.HisRep->setText(QStringLiteral("599"));
        f.TheInfo->setText(QStringLiteral("tnx"));
        f.TimerTimer();
        const QString date = f.TheDate->text();
        QTest::mouseClick(f.ClearBtn, Qt::LeftButton);
        for (QLineEdit *e : {f.HisCall, f.HisName, f.HisRep, f.TheInfo})
            QVERIFY2(e->text().isEmpty(), qPrintable(e->objectName()));
        QCOMPARE(f.TheDate->text(), date);
        QVERIFY(!f.TheTime->text().isEmpty());
        QVERIFY(!f.ClearBtn->isEnabled() && !f.StoreBtn->isEnabled());
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
            f.TheTime->setText(time);
        fillQsoBox(f, call, report);
        f.StoreBtnClick();
        QCOMPARE(fx.dialogs.texts(), QStringList{message});
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("Warning"));
        QVERIFY(fx.dialogs.shown.first().icon == Dialogs::Icon::Warning);
        QVERIFY(!f.ADIFForm);
        QCOMPARE(f.HisCall->text(), call);
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
        QTest::keyClicks(f.HisCall, QStringLiteral(" F6XYZ "));
        QTest::keyClicks(f.HisName, QStringLiteral("Jean"));
        QTest::keyClicks(f.HisRep, QStringLiteral("579"));
        QTest::keyClicks(f.TheInfo, QStringLiteral(" 73 de Ren"));
        QTest::sendKeyEvent(QTest::Click, f.TheInfo, Qt::Key_Eacute, QString::fromUtf8("é"), Qt::NoModifier);
        QVERIFY(f.StoreBtn->isEnabled() && !f.ViewBtn->isEnabled());

        bool saved = false;
        onNextModal([&](QDialog *dialog) {
            auto *d = qobject_cast<TADIFForm *>(dialog);
            QVERIFY(d && d == f.ADIFForm);
            QCOMPARE(d->windowTitle(), QStringLiteral("Save this QSO under ADIF format"));
            QCOMPARE(d->CALLEdit->text(), QStringLiteral(" F6XYZ "));
            QCOMPARE(d->NAMEEdit->text(), QStringLiteral("Jean"));
            QCOMPARE(d->DATEEdit->text(), f.TheDate->text());
            QCOMPARE(d->HOUREdit->text(), f.TheTime->text());
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
        QTest::mouseClick(f.StoreBtn, Qt::LeftButton);
        QVERIFY(saved);
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(fileBytes(f.LogFileName()), fileBytes(logFixture("stored-contact.adi")));
        for (QLineEdit *e : {f.HisCall, f.HisName, f.HisRep, f.TheInfo})
            QVERIFY2(e->text().isEmpty(), qPrintable(e->objectName()));
        QVERIFY(!f.StoreBtn->isEnabled() && !f.ClearBtn->isEnabled() && f.ViewBtn->isEnabled());

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
        QTest::mouseClick(f.ViewBtn, Qt::LeftButton);
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
        f.StoreBtnClick();
        QVERIFY(stayedOpen);
        QCOMPARE(fx.dialogs.texts(), QStringList{message});
        QCOMPARE(fx.dialogs.shown.first().caption, QStringLiteral("VARNEK v1.6a"));
        QCOMPARE(fx.dialogs.beeps, 1);
        QCOMPARE(fileBytes(f.LogFileName()), fileBytes(logFixture("header-only.adi")));
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
        f.HisName->setText(QStringLiteral("Jean"));
        onNextModal([](QDialog *d) {
            static_cast<TADIFForm *>(d)->FREQEdit->setEditText(QStringLiteral("7035.15"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        f.StoreBtnClick();
        TADIFForm *first = f.ADIFForm;
        QVERIFY(first);
        QVERIFY(f.HisCall->text().isEmpty() && f.HisName->text().isEmpty());
        QVERIFY(!f.StoreBtn->isEnabled() && !f.ClearBtn->isEnabled());

        fillQsoBox(f, QStringLiteral("K1AB"), QStringLiteral("559"));
        QString frequency, received;
        onNextModal([&](QDialog *d) {
            frequency = static_cast<TADIFForm *>(d)->FREQEdit->currentText();
            received = static_cast<TADIFForm *>(d)->RSTREdit->text();
            QTest::mouseClick(static_cast<TADIFForm *>(d)->CancelBtn, Qt::LeftButton);
        });
        f.ADIFForm->RSTREdit->setText(QStringLiteral("left over"));
        f.StoreBtnClick();
        QCOMPARE(f.ADIFForm, first);
        QCOMPARE(frequency, QStringLiteral("7035.15"));
        QVERIFY(received.isEmpty());
        QVERIFY(f.HisCall->text().isEmpty());
        QCOMPARE(fileBytes(f.LogFileName()), fileBytes(logFixture("header-only.adi")));
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
        f.StoreBtnClick();
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
        f.StoreBtnClick();
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
        f.HisCall->setText(QStringLiteral("old call"));
        f.HisName->setText(QStringLiteral("old name"));
        f.ClearBtn->setEnabled(false);
        f.StoreBtn->setEnabled(false);
        f.RXBuf->setPlainText(QStringLiteral("cq cq de F6XYZ ur 599 5NN name Jean k"));

        QTextCursor at(f.RXBuf->document());
        at.setPosition(static_cast<int>(f.RXBuf->toPlainText().indexOf(word)) + 1);
        QTest::mouseDClick(f.RXBuf->viewport(), Qt::LeftButton, {}, f.RXBuf->cursorRect(at).center());
        // The pane selects the word first; the pick-up then takes it and
        // removes the selection.
        QVERIFY(f.RXBuf->textCursor().hasSelection());
        QTRY_VERIFY(!f.RXBuf->textCursor().hasSelection());
        QCOMPARE(f.HisCall->text(), call);
        QCOMPARE(f.HisName->text(), name);
        const bool toCall = call == word;
        QCOMPARE(f.StoreBtn->isEnabled(), toCall);
        QCOMPARE(f.ClearBtn->isEnabled(), toCall);
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QVERIFY(!f.RXBuf->isReadOnly());
    }

    void doubleClickOnNothingPicksUpNothing() {
        FormFixture fx;
        TPSKForm &f = createInOwnFolder(fx);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QGuiApplication::clipboard()->setText(QStringLiteral("operator's own text"));
        QTest::mouseDClick(f.RXBuf->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        QTest::qWait(20);
        QVERIFY(f.HisCall->text().isEmpty() && f.HisName->text().isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("operator's own text"));
        QGuiApplication::clipboard()->clear();
    }
};

QTEST_MAIN(TestLogQsoBox)
#include "test_log_qsobox.moc"
