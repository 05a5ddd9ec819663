// The setup dialog opened from the main window: when each setting takes effect after
// "Save and exit" and after "Cancel", the six library calls made on closing, the three
// ways to open it, and colours and fonts that survive a restart.

#include "FormFixture.h"
#include "SetupFixture.h"
#include "base/AppImages.h"
#include "base/Widgets.h"
#include "settings/SetupWidgets.h"
#include "settings/TBandSelector.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

const QByteArray kStored = "[Settings]\nMyCall=Q9ZZV\nCWID=de Q9ZZV\nCWIDSpeed=2\nComPort=1\nPTTControl=0\n"
                           "DateFormat=0\nBlocks=1\nPPMAdjust=0\nFFTAdjust=1\nWCursor=4\n";

// The six calls the window makes when the dialog closes, from its running values.
QStringList closingCalls(const RunningSettings &s, int activeTrack) {
    return {QStringLiteral("fnSetCWIDString(%1)").arg(s.CWID),
            QStringLiteral("fnSetCWIDSpeed(%1)").arg(s.CWIDSpeed + 1),
            QStringLiteral("fnSetClockErrorAdjustment(%1)").arg(s.PPMAdjust),
            QStringLiteral("fnSetComPort(%1,%2)").arg(s.ComPort).arg(s.PTTControl),
            QStringLiteral("fnSetRXPSKMode(%1,%2)").arg(s.RXMode).arg(activeTrack),
            QStringLiteral("fnSetFFTMode(%1,100,1)").arg(s.FFTAdjust)};
}

QString replayHint(const QString &seconds) {
    return QStringLiteral("Replay ") + seconds + QStringLiteral(" seconds");
}

struct Row {
    const char *setting;
    // What the operator does in the dialog.
    std::function<void(TSetForm &, FormFixture &)> change;
    // What holds once the dialog is closed with "Save and exit" (ok) or "Cancel".
    std::function<void(FormFixture &, bool ok)> check;
};

// The table of when a setting takes effect.
const std::vector<Row> &rows() {
    static const std::vector<Row> table = {
        {"MyCall, ShowUTCTime, CWIDSpeed, CW identification text",
         [](TSetForm &d, FormFixture &) {
             d.CallEdit->setText(QStringLiteral("q9new"));
             d.CWMsgEdit->setText(QStringLiteral("de Q9NEW pse k"));
             d.HTUBox->setChecked(false);
             d.CWGroup->setItemIndex(0);
         },
         [](FormFixture &f, bool ok) {
             const RunningSettings &s = f.form->settings();
             QCOMPARE(s.MyCall, ok ? QStringLiteral("q9new") : QStringLiteral("Q9ZZV"));
             QCOMPARE(s.ShowUTCTime, !ok);
             QCOMPARE(s.CWIDSpeed, ok ? 0 : 2);
             // After Cancel the library still gets the running text, which typing the
             // call sign set at once.
             QCOMPARE(s.CWID, ok ? QStringLiteral("de Q9NEW pse k") : QStringLiteral("de q9new"));
             QVERIFY(f.form->windowTitle().endsWith(ok ? QStringLiteral("Q9NEW") : QStringLiteral("Q9ZZV")));
         }},
        {"SpectrumPlain", [](TSetForm &d, FormFixture &) { d.SpecBox->setChecked(false); },
         [](FormFixture &f, bool ok) { QCOMPARE(f.form->settings().SpectrumPlain, !ok); }},
        {"WFMin, WFMax", [](TSetForm &d, FormFixture &) { d.BAND->setEdges(500, 2500); },
         [](FormFixture &f, bool ok) {
             QCOMPARE(f.form->settings().WFMin, ok ? 500 : 100);
             QCOMPARE(f.form->settings().WFMax, ok ? 2500 : 3500);
             QCOMPARE(f.form->displays().FFTLowBin, (ok ? 500 : 100) * 2048 / 8000);
             QCOMPARE(f.form->displays().FFTHighBin, (ok ? 2500 : 3500) * 2048 / 8000);
             QCOMPARE(f.form->displays().WFSpan, ok ? 2000 : 3400);
         }},
        {"DateFormat", [](TSetForm &d, FormFixture &) { d.DateGroup->setItemIndex(3); },
         [](FormFixture &f, bool ok) {
             QCOMPARE(f.form->DateFormatPattern(), QStringLiteral("dd mmm yyyy")); // at once
             QCOMPARE(f.form->settings().DateFormat, ok ? 3 : 0);
         }},
        {"ComPort", [](TSetForm &d, FormFixture &) { d.ComButtons[5]->click(); },
         [](FormFixture &f, bool) { QCOMPARE(f.form->settings().ComPort, 6); }},
        {"PTTControl",
         [](TSetForm &d, FormFixture &f) {
             d.PTTGroup->setItemIndex(2);
             QCOMPARE(f.modem.calls.last(), QStringLiteral("fnSetComPort(1,2)")); // at once
         },
         [](FormFixture &f, bool ok) {
             QCOMPARE(f.form->settings().PTTControl, ok ? 2 : 0);
             QCOMPARE(f.form->status().LedTwo->isLit(), ok);
             QCOMPARE(f.form->status().LedTwo->toolTip(),
                      ok ? QStringLiteral("COM 1 is open") : QStringLiteral("COM 1 is closed"));
         }},
        {"RXMode", [](TSetForm &d, FormFixture &) { d.RXModeGroup->setItemIndex(4); },
         [](FormFixture &f, bool) { QCOMPARE(f.form->settings().RXMode, 9); }},
        {"RXMode no item has",
         [](TSetForm &d, FormFixture &) { QCOMPARE(d.RXModeGroup->itemIndex(), 0); }, // "BPSK" shown
         [](FormFixture &f, bool) { QCOMPARE(f.form->settings().RXMode, 5); }},
        {"CardNum", [](TSetForm &d, FormFixture &) { d.CRDGroup->setItemIndex(2); },
         [](FormFixture &f, bool) { QCOMPARE(f.form->settings().CardNum, 1); }},
        {"Blocks", [](TSetForm &d, FormFixture &) { d.BlocksSpin->setValue(10); },
         [](FormFixture &f, bool ok) {
             QCOMPARE(f.form->settings().Blocks, 10);
             const QChar point = QLocale::system().decimalPoint().front();
             QCOMPARE(f.form->toolBar().RewindSound->toolTip(),
                      replayHint(ok ? QStringLiteral("2") + point + QStringLiteral("56")
                                    : QStringLiteral("0") + point + QStringLiteral("256")));
         }},
        {"PPMAdjust, FFTAdjust",
         [](TSetForm &d, FormFixture &) {
             d.PpmSpin->setValue(7);
             d.FFTSpin->setValue(4);
         },
         [](FormFixture &f, bool) {
             QCOMPARE(f.form->settings().PPMAdjust, 7);
             QCOMPARE(f.form->settings().FFTAdjust, 4);
         }},
        {"WCursor", [](TSetForm &d, FormFixture &) { d.CursorButtons[4]->click(); },
         [](FormFixture &f, bool) {
             QCOMPARE(f.form->settings().WCursor, 5);
             // The sound card runs in these rows, so the waterfall shows it either way.
             QCOMPARE(f.form->displays().WaterfallDisplay->cursor().hotSpot(),
                      AppImages::cursor(5).hotSpot());
             QCOMPARE(f.form->displays().WaterfallDisplay->cursor().shape(), Qt::BitmapCursor);
         }},
        {"WColor", [](TSetForm &d, FormFixture &) { d.WaterBar->setValue(0x90); },
         [](FormFixture &f, bool) { QCOMPARE(f.form->settings().WColor, 0x909090u); }},
        {"colours and fonts",
         [](TSetForm &d, FormFixture &f) {
             f.dialogs.colorAnswers << QColor(0, 0, 0x80);
             d.ColorClick(10);
             f.dialogs.fontAnswers << qMakePair(QFont(QStringLiteral("DejaVu Sans Mono"), 11),
                                                QColor(0x80, 0, 0));
             d.FontClick(21);
         },
         [](FormFixture &f, bool ok) {
             // Stored at once in either case.
             QSettings ini(f.iniPath, QSettings::IniFormat);
             QCOMPARE(ini.value(QStringLiteral("Look/ACCColor")).toString(), QString::number(0x800000));
             QCOMPARE(ini.value(QStringLiteral("Look/RXBFontName")).toString(),
                      QStringLiteral("DejaVu Sans Mono"));
             QCOMPARE(f.form->settings().ACCColor, ok ? 0x800000u : 0u);
             const QPlainTextEdit *rx = f.form->qso().RXBuf;
             QCOMPARE(rx->font().family() == QStringLiteral("DejaVu Sans Mono"), ok);
             QCOMPARE(rx->palette().color(QPalette::Text) == QColor(0x80, 0, 0), ok);
         }},
    };
    return table;
}

} // namespace

class TestSettingsApply : public QObject {
    Q_OBJECT
private slots:
    void whenSettingsTakeEffect_data();
    void whenSettingsTakeEffect();
    void idleDarkensTheComLamp();
    void previewsShowTheWindowsLook();
    void cursorWaitsForTheSoundCard();
    void threeWaysToOpenIt_data();
    void threeWaysToOpenIt();
    void coloursAndFontsSurviveARestart();
};

void TestSettingsApply::whenSettingsTakeEffect_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("ok");
    for (int i = 0; i < static_cast<int>(rows().size()); ++i) {
        QTest::addRow("%s, saved", rows()[static_cast<size_t>(i)].setting) << i << true;
        QTest::addRow("%s, cancelled", rows()[static_cast<size_t>(i)].setting) << i << false;
    }
}

void TestSettingsApply::whenSettingsTakeEffect() {
    QFETCH(int, row);
    QFETCH(bool, ok);
    const Row &r = rows()[static_cast<size_t>(row)];
    PseudoTerminal pty;
    FormFixture f;
    f.storeText(kStored);
    f.modem.deviceNames[{2, 6}] = pty.path().toUtf8();
    f.create();
    f.form->settings().RXMode = 5; // a code no item has: shown as "BPSK", kept
    f.connect();
    f.form->setup().showModal = [&](TSetForm &d) {
        r.change(d, f);
        (ok ? d.ApplyBtn : d.CancelBtn)->click();
        return d.result();
    };
    f.form->CfgBtnClick();
    if (QTest::currentTestFailed())
        return;
    r.check(f, ok);
    if (QTest::currentTestFailed())
        return;
    // In every case the library ends with the six calls, from the running values.
    QVERIFY(f.modem.calls.size() >= 6);
    QCOMPARE(f.modem.calls.mid(f.modem.calls.size() - 6), closingCalls(f.form->settings(), 0));
}

void TestSettingsApply::idleDarkensTheComLamp() {
    FormFixture f;
    f.storeText("[Settings]\nComPort=3\nPTTControl=2\n");
    f.create();
    QVERIFY(f.form->status().LedTwo->isLit());
    f.form->setup().showModal = [](TSetForm &d) {
        d.PTTGroup->setItemIndex(0);
        d.ApplyBtn->click();
        return d.result();
    };
    f.modem.calls.clear();
    f.form->CfgBtnClick();
    QVERIFY(!f.form->status().LedTwo->isLit());
    QCOMPARE(f.form->status().LedTwo->toolTip(), QStringLiteral("COM 3 is closed"));
    QCOMPARE(f.modem.callsOf({"fnSetComPort"}),
             QStringList({"fnSetComPort(3,2)", "fnSetComPort(3,0)", "fnSetComPort(3,0)"}));
}

void TestSettingsApply::previewsShowTheWindowsLook() {
    FormFixture f;
    f.storeText("[Look]\nACCColor=255\nOTHFtColor=16711680\nRXBColor=65280\nRXBFontName=DejaVu Serif\n"
                "RXBFontCol=255\nRXBFontSize=12\nRXBFontStyle=1000\n");
    f.create();
    quint32 acc[2] = {}, oth[2] = {}, rxb[2] = {};
    QFont rxbFont;
    f.form->setup().showModal = [&](TSetForm &d) {
        acc[0] = TSetForm::previewBackground(d.ACCPanel);
        acc[1] = TSetForm::previewText(d.ACCPanel);
        oth[0] = TSetForm::previewBackground(d.OTHPanel);
        oth[1] = TSetForm::previewText(d.OTHPanel);
        rxb[0] = TSetForm::previewBackground(d.RXBPanel);
        rxb[1] = TSetForm::previewText(d.RXBPanel);
        rxbFont = d.RXBPanel->font();
        return int(QDialog::Rejected);
    };
    f.form->CfgBtnClick();
    QCOMPARE(acc[0], 255u);
    QCOMPARE(acc[1], 65535u); // default yellow
    QCOMPARE(oth[0], 0u);
    QCOMPARE(oth[1], 16711680u);
    QCOMPARE(rxb[0], 65280u);
    QCOMPARE(rxb[1], 255u);
    QCOMPARE(rxbFont.family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(rxbFont.bold());
}

void TestSettingsApply::cursorWaitsForTheSoundCard() {
    FormFixture f;
    f.create();
    f.form->setup().showModal = [](TSetForm &d) {
        d.CursorButtons[0]->click();
        d.ApplyBtn->click();
        return d.result();
    };
    f.form->CfgBtnClick();
    QCOMPARE(f.form->settings().WCursor, 1);
    QCOMPARE(f.form->displays().WaterfallDisplay->cursor().shape(), Qt::ArrowCursor);
}

void TestSettingsApply::threeWaysToOpenIt_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("SetupBtn") << 0;
    QTest::newRow("tray menu \"Setup dialog...\"") << 1;
    QTest::newRow("click on LedTwo") << 2;
}

void TestSettingsApply::threeWaysToOpenIt() {
    QFETCH(int, way);
    FormFixture f;
    f.create();
    f.form->show();
    f.modem.calls.clear();
    // The real modal loop: cancel the dialog once it is up.
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<TSetForm *>(QApplication::activeModalWidget());
        QVERIFY(d);
        seen = true;
        QCOMPARE(d->parentWidget(), f.form.get());
        d->CancelBtn->click();
    });
    switch (way) {
    case 0:
        QTest::mouseClick(f.form->toolBar().SetupBtn, Qt::LeftButton);
        break;
    case 1: {
        QAction *item = nullptr;
        for (QAction *a : f.form->TrayPopup()->actions())
            if (a->text() == QStringLiteral("Setup dialog..."))
                item = a;
        QVERIFY(item);
        item->trigger();
        break;
    }
    default:
        QTest::mouseClick(f.form->status().LedTwo, Qt::LeftButton);
        break;
    }
    QVERIFY(seen);
    QCOMPARE(f.modem.calls, closingCalls(f.form->settings(), 0));
}

void TestSettingsApply::coloursAndFontsSurviveARestart() {
    FormFixture f;
    f.create();
    f.form->setup().showModal = [&](TSetForm &d) {
        f.dialogs.colorAnswers << QColor(0x10, 0x20, 0x30);
        d.ColorClick(14); // transmit pane background
        f.dialogs.fontAnswers << qMakePair(QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold, true),
                                           QColor(0xC0, 0, 0));
        d.FontClick(22); // transmit pane font
        f.dialogs.fontAnswers << qMakePair(QFont(QStringLiteral("DejaVu Sans Mono"), 9), QColor(0, 0x60, 0));
        d.FontClick(23); // QSO box
        d.ApplyBtn->click();
        return d.result();
    };
    f.form->CfgBtnClick();
    const auto checkLook = [](TPSKForm &form) {
        const QPlainTextEdit *tx = form.transmit().TXBuf;
        QCOMPARE(tx->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
        QCOMPARE(tx->palette().color(QPalette::Text), QColor(0xC0, 0, 0));
        QCOMPARE(tx->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(tx->font().pointSize(), 14);
        QVERIFY(tx->font().bold() && tx->font().italic());
        for (QLineEdit *field : {form.qso().HisCall, form.qso().TheInfo}) {
            QCOMPARE(field->font().family(), QStringLiteral("DejaVu Sans Mono"));
            QCOMPARE(field->palette().color(QPalette::Text), QColor(0, 0x60, 0));
        }
    };
    checkLook(*f.form);
    if (QTest::currentTestFailed())
        return;
    // The next start reads them from the store.
    f.form.reset();
    f.create();
    checkLook(*f.form);
}

QTEST_MAIN(TestSettingsApply)
#include "test_settings_apply.moc"
