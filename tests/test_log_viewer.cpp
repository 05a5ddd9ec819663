// The log viewer on its own: the grid it sets up, how each cell is drawn,
// loading the log file into rows, the hints, and the search for a call sign.

#include "log/AdifWriter.h"
#include "log/FindDialog.h"
#include "log/LogGrid.h"
#include "log/TVarnekForm.h"
#include "test_log_support.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace {

// A log file of the given call signs, one record each, in a folder of its own.
struct LogOf {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Varneklog.adi"));
    explicit LogOf(const QStringList &calls) {
        QByteArray bytes = adif::header();
        for (const QString &call : calls) {
            adif::Contact c;
            c.call = call;
            c.frequency = QStringLiteral("14070");
            bytes += adif::record(c, QDateTime(QDate(2026, 12, 9), QTime(14, 35), Qt::UTC));
        }
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
};

QStringList row(const TVarnekForm &v, int r) {
    QStringList out;
    for (int c = 0; c < TVarnekForm::ColumnCount; ++c)
        out << v.VarnekGrid->cell(r, c);
    return out;
}

} // namespace

class TestLogViewer : public QObject {
    Q_OBJECT
private slots:
    void init() { TVarnekForm::FindStartRow = 0; }

    void gridSetUp() {
        ScriptedDialogs dialogs;
        LogOf log({});
        TVarnekForm v(log.path, dialogs);
        QCOMPARE(v.windowTitle(), QStringLiteral("VarnekLog.adi"));
        QCOMPARE(v.size(), QSize(619, 363));
        QCOMPARE(v.VarnekGrid->rowCount(), 18);
        QCOMPARE(row(v, 0), (QStringList{"#", "CALLSIGN", "DATE", "HOUR", "BAND", "MODE", "RCVD", "SENT",
                                         "NAME", "INFO"}));
        const int widths[] = {30, 80, 65, 40, 40, 50, 40, 40, 80, 134};
        for (int c = 0; c < TVarnekForm::ColumnCount; ++c)
            QCOMPARE(v.VarnekGrid->columnWidth(c), widths[c]);
        QCOMPARE(v.VarnekGrid->font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(v.VarnekGrid->font().pointSize(), 8);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void cellLook_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<bool>("gradient");
        const int left = Qt::AlignLeft, centre = Qt::AlignHCenter;
        QTest::newRow("header #") << 0 << 0 << centre << "Tahoma" << true << QColor(Qt::black) << true;
        QTest::newRow("header call") << 0 << 1 << centre << "Tahoma" << true << QColor(Qt::black) << true;
        QTest::newRow("header info") << 0 << 9 << centre << "Tahoma" << true << QColor(Qt::black) << true;
        QTest::newRow("number") << 2 << 0 << centre << "Arial" << true << QColor(Qt::black) << true;
        QTest::newRow("call") << 2 << 1 << left << "Tahoma" << true << QColor(Qt::red) << false;
        QTest::newRow("date") << 2 << 2 << centre << "Tahoma" << false << QColor(Qt::black) << false;
        QTest::newRow("report") << 2 << 6 << centre << "Tahoma" << false << QColor(Qt::black) << false;
        QTest::newRow("name") << 2 << 8 << left << "Tahoma" << false << QColor(Qt::black) << false;
        QTest::newRow("info") << 2 << 9 << left << "Tahoma" << false << QColor(Qt::black) << false;
    }
    void cellLook() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, alignment);
        QFETCH(QString, family);
        QFETCH(bool, bold);
        QFETCH(QColor, text);
        QFETCH(bool, gradient);
        ScriptedDialogs dialogs;
        LogOf log({});
        TVarnekForm v(log.path, dialogs);
        const TLogGrid::CellLook look = v.VarnekGrid->cellLook(row, column);
        QCOMPARE(int(look.alignment), alignment);
        QCOMPARE(look.font.family(), family);
        QCOMPARE(look.font.bold(), bold);
        QCOMPARE(look.font.pointSize(), 8);
        QCOMPARE(look.text, text);
        QCOMPARE(look.gradient, gradient);
    }

    // Data rows are banded; the selected row is black with text in the
    // window colour, its fixed number cell excepted. Checked on the pixels.
    void bandingAndSelectionAsDrawn() {
        ScriptedDialogs dialogs;
        LogOf log({"K1AB", "K2CD", "K3EF"});
        TVarnekForm v(log.path, dialogs);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        TLogGrid *g = v.VarnekGrid;
        g->setCurrentRow(3);
        const QImage shot = g->viewport()->grab().toImage();
        auto pixel = [&](int r, int c) {
            return shot.pixelColor(g->cellRect(r, c).topLeft() + QPoint(1, 1));
        };
        const QColor window = g->palette().color(QPalette::Base);
        QCOMPARE(pixel(1, 5), window);
        QCOMPARE(pixel(2, 5), QColor(215, 228, 242));
        QCOMPARE(pixel(3, 5), QColor(Qt::black));
        // Fixed cells run from yellow at the top to the window colour.
        const QRect header = g->cellRect(0, 5);
        const QColor top = shot.pixelColor(header.left() + 1, header.top());
        const QColor bottom = shot.pixelColor(header.left() + 1, header.bottom());
        QVERIFY(top.red() == 255 && top.green() == 255 && top.blue() < 30);
        QVERIFY(bottom.blue() > 220);
        QVERIFY(pixel(3, 0) != QColor(Qt::black));
        if (!qEnvironmentVariableIsEmpty("VARNEK_SCREENSHOTS"))
            v.grab().save(qEnvironmentVariable("VARNEK_SCREENSHOTS") + QStringLiteral("/viewer.png"));
    }

    void loading_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("last");
        QTest::addColumn<QString>("error");
        const QStringList empty(TVarnekForm::ColumnCount, QString());
        QTest::newRow("header only") << logFixture("header-only.adi") << 18 << empty << empty << "";
        QTest::newRow("one record, no header")
            << logFixture("no-header.adi") << 18
            << QStringList{"1", "K1AB", "09/12/2026", "14:35", "40m", "PSK31", "599", "589", "Bob", ""}
            << empty << "";
        // Rows up to the record with the bad year stay; the grid has one row
        // per record read plus the header row.
        QTest::newRow("bad year") << logFixture("short-dates.adi") << 4
                                  << QStringList{"1", "AA1A", "31/12/1999", "00:01", "", "", "", "", "", ""}
                                  << QStringList{"3", "CC3C", "15/06/1926", "00:03", "", "", "", "", "", ""}
                                  << "'AB' is not a valid integer value";
        QTest::newRow("missing file")
            << logFixture("no-such.adi") << 18 << empty << empty << "File not found";
    }
    void loading() {
        QFETCH(QString, file);
        QFETCH(int, rows);
        QFETCH(QStringList, first);
        QFETCH(QStringList, last);
        QFETCH(QString, error);
        ScriptedDialogs dialogs;
        TVarnekForm v(file, dialogs);
        QCOMPARE(v.VarnekGrid->rowCount(), rows);
        QCOMPARE(row(v, 1), first);
        QCOMPARE(row(v, rows - 1), last);
        QCOMPARE(dialogs.texts(), error.isEmpty() ? QStringList() : QStringList{error});
        if (!error.isEmpty())
            QCOMPARE(dialogs.shown.first().caption, QStringLiteral("Error"));
        QVERIFY(!QApplication::overrideCursor());
    }

    void hintsShowDataCells() {
        ScriptedDialogs dialogs;
        LogOf log({"K1AB"});
        TVarnekForm v(log.path, dialogs);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        TLogGrid *g = v.VarnekGrid;
        auto hintAt = [&](int r, int c) {
            QToolTip::hideText();
            const QPoint pos = g->cellRect(r, c).center();
            QHelpEvent help(QEvent::ToolTip, pos, g->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(g->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        // Fixed cells first: a hint once shown fades out only slowly.
        QCOMPARE(hintAt(1, 0), QString());
        QCOMPARE(hintAt(0, 1), QString());
        QCOMPARE(hintAt(1, 1), QStringLiteral("K1AB"));
        QCOMPARE(hintAt(1, 4), QStringLiteral("20m"));
        QToolTip::hideText();
    }

    void rightButtonOpensTheFindDialog() {
        ScriptedDialogs dialogs;
        LogOf log({"K1AB", "K2CD"});
        TVarnekForm v(log.path, dialogs);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        TLogGrid *g = v.VarnekGrid;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(2, 3).center());
        QCOMPARE(g->currentRow(), 2);
        QVERIFY(!v.FindDialog->isVisible());
        QTest::mousePress(g->viewport(), Qt::RightButton, {}, g->cellRect(1, 3).center());
        QVERIFY(v.FindDialog->isVisible());
        QVERIFY(!v.FindDialog->isModal());
        QCOMPARE(v.FindDialog->findText(), QStringLiteral("Enter callsign here..."));
        QVERIFY(v.FindDialog->searchesDown());
        QTest::mouseRelease(g->viewport(), Qt::RightButton, {}, g->cellRect(1, 3).center());
    }

    // Each Find goes on below the last match, whatever the direction shown;
    // past the last one the end-of-log message closes the dialog and the
    // next search starts from the top, the header row included.
    void findWalksDownTheLog() {
        ScriptedDialogs dialogs;
        LogOf log({"K1AB", "K2CD", "K1AB", "K3EF"});
        TVarnekForm v(log.path, dialogs);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.MouseIsDown(Qt::RightButton);
        v.FindDialog->setFindText(QStringLiteral("K1AB"));
        v.FindDialog->UpRadio->setChecked(true);
        const struct { int row, next; } steps[] = {{1, 2}, {3, 4}};
        for (const auto &s : steps) {
            QTest::mouseClick(v.FindDialog->FindBtn, Qt::LeftButton);
            QCOMPARE(v.VarnekGrid->currentRow(), s.row);
            QCOMPARE(TVarnekForm::FindStartRow, s.next);
            QVERIFY(v.FindDialog->isVisible());
        }
        QVERIFY(dialogs.shown.isEmpty());
        QTest::mouseClick(v.FindDialog->FindBtn, Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList{"The log's end has been reached !"});
        QCOMPARE(dialogs.shown.first().caption, QStringLiteral("End of file"));
        QVERIFY(dialogs.shown.first().icon == Dialogs::Icon::Information);
        QVERIFY(!v.FindDialog->isVisible());
        QCOMPARE(TVarnekForm::FindStartRow, 0);

        v.FindDialog->setFindText(QStringLiteral("CALLSIGN"));
        v.FindCallSign();
        QCOMPARE(v.VarnekGrid->currentRow(), 0);
        // "k1ab" is not "K1AB": the search is exact.
        v.FindDialog->setFindText(QStringLiteral("k1ab"));
        v.FindCallSign();
        QCOMPARE(dialogs.shown.size(), 2);
    }

    void searchGoesOnInTheNextViewer() {
        ScriptedDialogs dialogs;
        LogOf log({"K1AB", "K2CD", "K1AB"});
        {
            TVarnekForm first(log.path, dialogs);
            first.FindDialog->setFindText(QStringLiteral("K1AB"));
            first.FindCallSign();
            QCOMPARE(first.VarnekGrid->currentRow(), 1);
        }
        TVarnekForm second(log.path, dialogs);
        second.FindDialog->setFindText(QStringLiteral("K1AB"));
        second.FindCallSign();
        QCOMPARE(second.VarnekGrid->currentRow(), 3);
    }

    void foundRowIsScrolledIntoView() {
        ScriptedDialogs dialogs;
        QStringList calls;
        for (int i = 0; i < 200; ++i)
            calls << QStringLiteral("W%1X").arg(i);
        LogOf log(calls);
        TVarnekForm v(log.path, dialogs);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(v.VarnekGrid->rowCount(), 201);
        QVERIFY(v.VarnekGrid->cellRect(150, 1).isEmpty());
        v.FindDialog->setFindText(QStringLiteral("W149X"));
        v.FindCallSign();
        QCOMPARE(v.VarnekGrid->currentRow(), 150);
        QVERIFY(!v.VarnekGrid->cellRect(150, 1).isEmpty());
        QVERIFY(!v.VarnekGrid->cellRect(0, 1).isEmpty()); // the header row stays
        QVERIFY(v.VarnekGrid->hasFocus());
        QTest::keyClick(v.VarnekGrid, Qt::Key_End);
        QCOMPARE(v.VarnekGrid->currentRow(), 200);
        QVERIFY(!v.VarnekGrid->cellRect(200, 1).isEmpty());
    }
};

QTEST_MAIN(TestLogViewer)
#include "test_log_viewer.moc"
