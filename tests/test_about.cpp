// The About box, its LED board and the system-information report.

#include "FormFixture.h"
#include "MainWindowParts.h"
#include "about/SystemInfo.h"
#include "about/TAboutForm.h"
#include "about/TLedMatrix.h"
#include "about/TSysInfoForm.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
SystemSources fixtureSources() {
    const QString dir = QStringLiteral(VARNEK_SYSINFO_FIXTURES);
    SystemSources s;
    s.cpuinfo = dir + QStringLiteral("/cpuinfo");
    s.meminfo = dir + QStringLiteral("/meminfo");
    s.osRelease = dir + QStringLiteral("/os-release");
    s.machineInfo = dir + QStringLiteral("/machine-info");
    return s;
}

bool isLit(const QImage &img, QPoint p) {
    const QColor c = img.pixelColor(p);
    return c.green() > 200 && c.red() < 60 && c.blue() < 60;
}

void saveShot(QWidget *w, const char *name) {
    const QString dir = qEnvironmentVariable("VARNEK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + QLatin1String(name));
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void memoryText_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("kb");
        const QString dp = QLocale::system().decimalPoint();
        QTest::newRow("2 GiB") << quint64(2) * 1024 * 1024 * 1024 << QStringLiteral("2097152");
        // Past 4 GiB a 32-bit figure wraps round; these must come out whole.
        QTest::newRow("5 GiB") << quint64(5) * 1024 * 1024 * 1024 << QStringLiteral("5242880");
        QTest::newRow("16 GiB") << quint64(16) * 1024 * 1024 * 1024 << QStringLiteral("16777216");
        QTest::newRow("1 TiB") << (quint64(1) << 40) << QStringLiteral("1073741824");
        QTest::newRow("half kilobyte") << quint64(1536) << QStringLiteral("1") + dp + QStringLiteral("5");
        QTest::newRow("three decimals") << quint64(1025) << QStringLiteral("1") + dp + QStringLiteral("001");
        QTest::newRow("rounds up to whole")
            << quint64(5 * 1024 + 1023) << QStringLiteral("5") + dp + QStringLiteral("999");
        QTest::newRow("nothing") << quint64(0) << QStringLiteral("0");
    }
    void memoryText() {
        QFETCH(quint64, bytes);
        QFETCH(QString, kb);
        QCOMPARE(::memoryText(bytes),
                 QStringLiteral("MEMORY INSTALLED ON THIS COMPUTER : ") + kb + QStringLiteral(" Kb"));
    }

    void reportLinePadding_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("line");
        QTest::newRow("short") << "- Name "
                               << "  - Name              : \tv";
        QTest::newRow("nineteen") << "- Registered Owner "
                                  << "  - Registered Owner  : \tv";
        QTest::newRow("exactly twenty") << "12345678901234567890"
                                        << "  12345678901234567890: \tv";
        QTest::newRow("longer, not cut") << "- Local Computer name "
                                         << "  - Local Computer name : \tv";
        QTest::newRow("longest") << "- Total Page File Memory "
                                 << "  - Total Page File Memory : \tv";
    }
    void reportLinePadding() {
        QFETCH(QString, label);
        QFETCH(QString, line);
        QCOMPARE(reportLine(label, QStringLiteral("v")), line);
    }

    void reportFromFixtureFiles() {
        SystemFacts facts = readSystemFacts(fixtureSources());
        // Host, user and kernel come from the live machine; pin them so the
        // whole report can be compared.
        facts.domainName = QStringLiteral("example.org");
        facts.computerName = QStringLiteral("shack");
        facts.userName = QStringLiteral("op");
        facts.versionBuild = QStringLiteral("6.1.0-18-amd64");
        facts.servicePack = QStringLiteral("#1 SMP");
        const QStringList expected = {
            "COMPUTER & USER",
            "  - Domain name       : \texample.org",
            "  - Local Computer name : \tshack",
            "  - Local User Name   : \top",
            "  - Registered Company : \t",
            "  - Registered Owner  : \t",
            "  - Comment           : \tShack PC by the rig",
            "",
            "COMPUTER PROCESSING UNIT (CPU)",
            "  - Name              : \tIntel(R) Core(TM) i5-8400 CPU @ 2.80GHz",
            "  - Manufacturer      : \tGenuineIntel",
            "  - Frequency         : \t2808",
            "",
            "OPERATING SYSTEM (OS)",
            "  - Product Name      : \tDebian GNU/Linux 12 (bookworm)",
            "  - Product ID        : \tdebian",
            "  - Version Build     : \t6.1.0-18-amd64",
            "  - Service Pack Version : \t#1 SMP",
            "",
            "MEMORY",
            "  - Free Page File Memory : \t4294963200",
            "  - Free Physical Memory : \t8589934592",
            "  - Free Virtual Memory : \t12884897792",
            "  - Total Page File Memory : \t4294967296",
            "  - Total Physical Memory : \t17179869184",
            "  - Total Virtual Memory : \t21474836480",
        };
        QCOMPARE(systemReport(facts), expected);
        QCOMPARE(totalPhysicalMemory(fixtureSources()), quint64(16) * 1024 * 1024 * 1024);
    }

    // Figures too large for any machine are left out rather than wrapped
    // around in bytes or in the virtual-memory sums.
    void memInfoLimits_data() {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<quint64>("totalPhysical"); // 0: absent
        QTest::addColumn<quint64>("totalVirtual");
        const quint64 largest = (quint64(1) << 52) - 1; // kB
        const QByteArray figure = QByteArray::number(largest);
        QTest::newRow("largest figures") << "MemTotal: " + figure + " kB\nSwapTotal: " + figure + " kB\n"
                                         << largest * 1024 << largest * 1024 * 2;
        QTest::newRow("2^54 kB is 2^64 bytes")
            << QByteArray("MemTotal: 18014398509481984 kB\nSwapTotal: 1 kB\n") << quint64(0) << quint64(0);
        QTest::newRow("two halves of 2^64")
            << QByteArray("MemTotal: 9007199254740992 kB\nSwapTotal: 9007199254740992 kB\n") << quint64(0)
            << quint64(0);
        QTest::newRow("bytes without a unit")
            << QByteArray("MemTotal: 2048\nSwapTotal: 1024\n") << quint64(2048) << quint64(3072);
    }

    void memInfoLimits() {
        QFETCH(QByteArray, meminfo);
        QFETCH(quint64, totalPhysical);
        QFETCH(quint64, totalVirtual);
        SystemFacts f;
        parseMemInfo(meminfo, f);
        QCOMPARE(quint64(f.totalPhysical.value_or(0)), totalPhysical);
        QCOMPARE(quint64(f.totalVirtual.value_or(0)), totalVirtual);
    }

    void damagedFilesLeaveFiguresEmpty() {
        SystemFacts f;
        parseMemInfo("MemTotal: lots kB\nSwapTotal:\nMemFree: 99999999999999999999999 kB\n:::\n\0\xff", f);
        QVERIFY(!f.totalPhysical && !f.freePhysical && !f.totalPageFile && !f.totalVirtual);
        parseCpuInfo("model name\nvendor_id :\ncpu MHz : fast\n", f);
        QVERIFY(f.cpuName.isEmpty() && f.cpuVendor.isEmpty() && f.cpuFrequency.isEmpty());
        QCOMPARE(shellVariable("PRETTY_NAME=\"\nID", "PRETTY_NAME"), QStringLiteral("\""));
        QCOMPARE(shellVariable("X=1", "PRETTY_NAME"), QString());
    }

    void ledBoardFrames() {
        TLedMatrix board;
        board.resize(392, 30);
        board.setInterval(0);
        board.setText(QStringLiteral("AB"));
        // 'A': its first column is dark on the top row and lit below;
        // 'B': its first column is lit from top to bottom.
        QImage f = board.frame();
        QCOMPARE(f.size(), QSize(392, 30));
        QVERIFY(!isLit(f, board.ledCentre(0, 0, 0)));
        QVERIFY(isLit(f, board.ledCentre(0, 0, 1)));
        QVERIFY(isLit(f, board.ledCentre(1, 0, 0)));
        QVERIFY(!isLit(f, board.ledCentre(2, 0, 3)));

        board.step(); // 'B' moves into the first cell
        f = board.frame();
        QVERIFY(isLit(f, board.ledCentre(0, 0, 0)));
        QVERIFY(!isLit(f, board.ledCentre(1, 0, 1)));

        board.step(); // nothing left but the gap
        f = board.frame();
        for (int cell = 0; cell < 24; ++cell)
            for (int row = 0; row < 7; ++row)
                QVERIFY(!isLit(f, board.ledCentre(cell, 2, row)));

        // After the text and a gap as wide as the board, the text is back.
        for (int i = 2; i < 2 + 24; ++i)
            board.step();
        QCOMPARE(board.offset(), 0);
        QCOMPARE(board.visibleText(), QStringLiteral("AB") + QString(22, QLatin1Char(' ')));
        QVERIFY(isLit(board.frame(), board.ledCentre(0, 0, 1)));
    }

    void ledBoardScrollsByItself() {
        TLedMatrix board;
        QCOMPARE(board.interval(), 150);
        QCOMPARE(board.cells(), 24);
        board.setText(QStringLiteral("MEMORY"));
        QTRY_VERIFY(board.offset() >= 2);
    }

    void aboutBoxShowsMemory() {
        TAboutForm about;
        about.totalMemory = [] { return uint64_t(2) * 1024 * 1024 * 1024; };
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("About VARNEK v1.6a"));
        QCOMPARE(about.size(), QSize(396, 228));
        QCOMPARE(about.VRM->size(), QSize(392, 30));
        QCOMPARE(about.VRM->text(), QStringLiteral("MEMORY INSTALLED ON THIS COMPUTER : 2097152 Kb"));
        QCOMPARE(about.OKBtn->text(), QStringLiteral("QSL"));
        QVERIFY(about.OKBtn->font().bold());
        about.VRM->setInterval(0);
        about.VRM->setText(about.VRM->text());
        saveShot(&about, "about.png");
    }

    void systemInfoWindowsBelongToTheBox() {
        TAboutForm about;
        about.show();
        QTest::mouseClick(about.SysInfoBtn, Qt::LeftButton);
        QTest::mouseClick(about.SysInfoBtn, Qt::LeftButton);
        QCOMPARE(about.sysInfoWindows().size(), 2); // a new window for each click
        TSysInfoForm *w = about.sysInfoWindows().first();
        QCOMPARE(w->windowTitle(), QStringLiteral("System info"));
        QCOMPARE(w->size(), QSize(489, 414));
        QVERIFY(w->SysMemo->isReadOnly());
        QVERIFY(w->SysMemo->toPlainText().startsWith(QStringLiteral("COMPUTER & USER\n  - Domain name ")));
        QVERIFY(!w->isModal());
        QPointer<TSysInfoForm> gone = w;
        w->close();
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(about.sysInfoWindows().size(), 1);
    }

    void systemInfoScreenshot() {
        TSysInfoForm w(nullptr, fixtureSources());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(
            w.SysMemo->toPlainText().contains(QStringLiteral("  - Total Physical Memory : \t17179869184")));
        saveShot(&w, "sysinfo.png");
    }

    void webLabelOpensAndCloses() {
        TAboutForm about;
        QStringList opened;
        about.openAddress = [&](const QString &a) { opened << a; };
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(!about.WebLabel->font().bold());
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(about.WebLabel, &enter);
        QVERIFY(about.WebLabel->isHot());
        QVERIFY(about.WebLabel->font().bold());
        QCOMPARE(about.WebLabel->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(about.WebLabel, &leave);
        QCOMPARE(about.WebLabel->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));

        // A release with the right button does nothing; the left opens the
        // address and closes the box.
        QTest::mouseClick(about.WebLabel, Qt::RightButton);
        QVERIFY(opened.isEmpty() && about.isVisible());
        QTest::mouseClick(about.WebLabel, Qt::LeftButton);
        QCOMPARE(opened, QStringList{QStringLiteral("http://www.q9zzv-software.example")});
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void aboutButtonShowsTheBoxModally() {
        FormFixture f;
        TPSKForm &form = f.create();
        form.show();
        QString caption;
        QString board;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<TAboutForm *>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            board = box->VRM->text();
            modal = box->isModal();
            box->OKBtn->click();
        });
        form.toolBar().AboutVarnek->trigger();
        QCOMPARE(caption, QStringLiteral("About VARNEK v1.6a"));
        QVERIFY(modal);
        QVERIFY(board.startsWith(QStringLiteral("MEMORY INSTALLED ON THIS COMPUTER : ")));
        QVERIFY(board.endsWith(QStringLiteral(" Kb")));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void creditsClickCloses() {
        TAboutForm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.MAINLabel, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
