// The manual: it is built, every help keyword of every control has a topic,
// and F1 and "What's this ?" open the topic of the control they point at.

#include "FormFixture.h"
#include "MainWindowParts.h"
#include "base/DataPaths.h"
#include "help/ContextHelp.h"
#include "help/HelpSystem.h"
#include "help/THelpForm.h"

#include <QAction>
#include <QDialog>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {
// Every help keyword the controls of the program use.
const QStringList ProgramKeywords = {
    "ONF_BTN", "TX_BTN",  "TUNE_BTN", "CW_BTN",  "MCR_BTN", "WIZ_BTN", "TXT_BTN", "RWD_BTN", "IPT_BTN",
    "OPT_BTN", "SND_BTN", "RAZ_BTN",  "CFG_BTN", "HLP_BTN", "CTX_BTN", "ABT_BTN", "EXT_BTN", "TX_WND",
    "RX_WND",  "SQL_PNL", "FRQ_PNL",  "TRK_PNL", "QSO_PNL", "LED_PNL", "STA_PNL", "WTF_DSP", "SPC_DSP",
    "STO_BTN", "INF_BTN", "CLR_BTN",  "MCR_PNL", "SET_CAL", "SET_CWI", "SET_MOD", "SET_COM", "SET_POR",
    "SET_SND", "SET_DAT", "SET_CWS",  "SET_TUN", "SET_BDW", "COL_TRK", "COL_PAN", "COL_RUF", "COL_TUF",
    "COL_BOX", "SET_DIV", "SET_CUR",  "SET_SCA",
};

// The keywords set on a window's controls and actions.
QStringList keywordsIn(QObject *root) {
    QStringList out;
    QList<QObject *> all = root->findChildren<QObject *>();
    all.prepend(root);
    for (QObject *o : all) {
        const QString k = o->property("helpKeyword").toString();
        if (!k.isEmpty())
            out << k;
    }
    out.removeDuplicates();
    return out;
}
} // namespace

class TestHelp : public QObject {
    Q_OBJECT
    HelpSystem *m_help = nullptr;

    void checkResolves(const QString &keyword) {
        const QUrl url = m_help->topicUrl(keyword);
        QVERIFY2(url.isValid(), qPrintable(keyword));
        QCOMPARE(url.fragment(), keyword);
        const QByteArray page = m_help->engine()->fileData(url);
        QVERIFY2(page.contains("id=\"" + keyword.toLatin1() + "\""), qPrintable(keyword));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(!findDataFile(QStringLiteral("help/varnek.qch")).isEmpty(),
                 qPrintable(dataDirs().join(' ')));
        m_help = new HelpSystem(this);
        QVERIFY2(m_help->open(), qPrintable(m_help->errorString()));
    }

    void everyKeywordHasATopic() {
        for (const QString &k : ProgramKeywords)
            checkResolves(k);
        QVERIFY(!m_help->topicUrl(QStringLiteral("NO_SUCH")).isValid());
        QVERIFY(m_help->engine()->fileData(m_help->contentsUrl()).contains("operator's manual"));
    }

    void everyControlOfTheMainWindowResolves() {
        FormFixture f;
        TPSKForm &form = f.create();
        const QStringList used = keywordsIn(&form);
        QVERIFY(used.size() >= 25);
        for (const QString &k : used) {
            QVERIFY2(ProgramKeywords.contains(k), qPrintable(k + " is not in the list of keywords"));
            checkResolves(k);
        }
    }

    void f1OpensTheFocusedControlsTopic() {
        ContextHelp context(*m_help);
        context.install();
        // A dialog shaped like the setup dialog's first page.
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        auto *callEdit = new QLineEdit(&dialog);
        callEdit->setObjectName(QStringLiteral("CallEdit"));
        callEdit->setProperty("helpKeyword", QStringLiteral("SET_CAL"));
        auto *plain = new QLineEdit(&dialog);
        layout->addWidget(callEdit);
        layout->addWidget(plain);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        callEdit->setFocus();
        QTRY_VERIFY(callEdit->hasFocus());
        QTest::keyClick(callEdit, Qt::Key_F1);
        THelpForm *w = m_help->window();
        QTRY_VERIFY(w->isVisible());
        QCOMPARE(w->currentUrl(), m_help->topicUrl(QStringLiteral("SET_CAL")));
        QVERIFY(w->HelpView->toPlainText().contains(QStringLiteral("My callsign")));

        // A control without a keyword of its own or above it: the contents.
        dialog.activateWindow();
        plain->setFocus();
        QTRY_VERIFY(plain->hasFocus());
        QTest::keyClick(plain, Qt::Key_F1);
        QCOMPARE(w->currentUrl(), m_help->contentsUrl());

        // A control inside a keyword-carrying group takes the group's topic.
        dialog.setProperty("helpKeyword", QStringLiteral("SET_TUN"));
        QTest::keyClick(plain, Qt::Key_F1);
        QCOMPARE(w->currentUrl().fragment(), QStringLiteral("SET_TUN"));
        w->close();
    }

    void mainWindowHelpButtonAndWhatsThis() {
        FormFixture f;
        TPSKForm &form = f.create();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        HelpSystem &help = form.help();
        // The help button opens the contents.
        QVERIFY(form.toolBar().OnLineHelp->isEnabled());
        form.toolBar().OnLineHelp->trigger();
        QTRY_VERIFY(help.window()->isVisible());
        QCOMPARE(help.window()->currentUrl(), help.contentsUrl());
        help.window()->close();

        // Context help: the next click shows the clicked control's topic.
        form.activateWindow();
        form.toolBar().ContextHelp->trigger();
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QTest::mouseClick(form.qso().RXBuf->viewport(), Qt::LeftButton);
        QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
        QVERIFY(help.window()->isVisible());
        QCOMPARE(help.window()->currentUrl().fragment(), QStringLiteral("RX_WND"));
        help.window()->close();
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void helpWindowContentsIndexSearch() {
        m_help->showContents();
        THelpForm *w = m_help->window();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->windowTitle(), QStringLiteral("VARNEK Help"));
        QCOMPARE(w->NavTabs->count(), 3);
        QCOMPARE(w->NavTabs->tabText(0), QStringLiteral("Contents"));
        QCOMPARE(w->currentUrl(), m_help->contentsUrl());
        QHelpContentModel *contents = m_help->engine()->contentModel();
        QTRY_VERIFY(contents->rowCount() > 0);
        QVERIFY(contents->rowCount(contents->index(0, 0)) >= 10); // one entry per chapter

        // Search finds pages by their words.
        QHelpSearchEngine *search = m_help->engine()->searchEngine();
        QSignalSpy indexed(search, &QHelpSearchEngine::indexingFinished);
        search->reindexDocumentation();
        QVERIFY(indexed.wait(60000));
        QSignalSpy found(search, &QHelpSearchEngine::searchingFinished);
        search->search(QStringLiteral("dialout"));
        QVERIFY(found.wait(30000));
        QVERIFY(search->searchResultCount() >= 1);
        QStringList pages;
        for (const QHelpSearchResult &r : search->searchResults(0, search->searchResultCount()))
            pages << r.url().fileName();
        QVERIFY2(pages.contains(QStringLiteral("ptt.html")), qPrintable(pages.join(' ')));

        m_help->showTopic(QStringLiteral("WTF_DSP"));
        const QString dir = qEnvironmentVariable("VARNEK_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            w->grab().save(dir + QStringLiteral("/help.png"));
        w->close();
    }

    void missingManualIsReported() {
        HelpSystem none;
        QVERIFY(!none.open(QStringLiteral("/nonexistent/varnek.qch")));
        QVERIFY(none.errorString().contains(QStringLiteral("varnek.qch")));
        QVERIFY(!none.isAvailable());
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
