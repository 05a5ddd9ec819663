// The manual: it is built, every help keyword of every control has a topic,
// and F1 and "What's this ?" open the topic of the control they point at.

#include "FormFixture.h"
#include "MainWindowParts.h"
#include "SetupFixture.h"
#include "about/TAboutForm.h"
#include "about/TSysInfoForm.h"
#include "base/DataPaths.h"
#include "help/ContextHelp.h"
#include "help/HelpSystem.h"
#include "help/THelpForm.h"
#include "lang/Strings.h"
#include "log/TADIFForm.h"
#include "log/TVarnekForm.h"
#include "macros/MacroTable.h"
#include "macros/TFiche.h"
#include "macros/TMkProcForm.h"
#include "macros/TWizForm.h"
#include "settings/SetupWidgets.h"
#include "settings/TSetForm.h"
#include "update/TUPDForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabBar>
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

// The topics a window's controls and actions open: their own keyword or the
// nearest one above them.
QStringList keywordsIn(QObject *root) {
    QStringList out;
    QList<QObject *> all = root->findChildren<QObject *>();
    all.prepend(root);
    for (QObject *o : all) {
        const QString k = ContextHelp::keywordOf(o);
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

    // F1 on a control of a shown window; the help window comes up.
    void pressF1(QWidget *control) {
        control->window()->activateWindow();
        QTRY_VERIFY(control->window()->isActiveWindow());
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        QTest::keyClick(control, Qt::Key_F1);
        QTRY_VERIFY(m_help->window()->isVisible());
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

    // Every window of the program that can be open when F1 is pressed: each
    // keyword its controls carry has a topic, and together they use every
    // keyword of the program, so a control that loses its keyword shows too.
    void everyControlOfEveryWindowResolves() {
        FormFixture f;
        SetupFixture setup;
        MacroTable macros;
        QTemporaryDir logDir;
        QStringList used;
        auto walk = [&](QWidget *window, int atLeast) {
            const QStringList here = keywordsIn(window);
            QVERIFY2(here.size() >= atLeast, qPrintable(window->objectName()));
            for (const QString &k : here) {
                QVERIFY2(ProgramKeywords.contains(k),
                         qPrintable(window->objectName() + ": " + k + " is not in the list of keywords"));
                checkResolves(k);
            }
            used << here;
        };
        TPSKForm &form = f.create();
        walk(&form, 25);
        walk(&setup.open(), 19);
        {
            TMkProcForm editor(macros, *f.store, f.dialogs, 0, &form);
            walk(&editor, 1);
            TFiche card(0, &editor);
            walk(&card, 1);
        }
        for (auto *window : std::initializer_list<QWidget *>{
                 new TWizForm(&form), new TADIFForm(f.dialogs, f.clock, &form),
                 new TVarnekForm(logDir.filePath(QStringLiteral("none.adi")), f.dialogs, &form),
                 new TAboutForm(&form), new TSysInfoForm(&form), new TUPDForm(&form)}) {
            walk(window, window->inherits("TUPDForm") ? 0 : 1);
            delete window;
        }
        used.removeDuplicates();
        for (const QString &k : ProgramKeywords)
            QVERIFY2(used.contains(k), qPrintable(k + " is used by no control"));
    }

    void f1AndWhatsThisInTheSetupDialog() {
        ContextHelp context(*m_help);
        context.install();
        SetupFixture setup;
        TSetForm &dialog = setup.open();
        dialog.PageControl->setCurrentWidget(dialog.GeneralSheet);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        THelpForm *w = m_help->window();
        pressF1(dialog.CallEdit);
        QCOMPARE(w->currentUrl(), m_help->topicUrl(QStringLiteral("SET_CAL")));
        QVERIFY(w->HelpView->toPlainText().contains(QStringLiteral("My callsign")));
        // A control without a keyword takes its group's topic, else the dialog's.
        pressF1(dialog.BlocksSpin);
        QCOMPARE(w->currentUrl().fragment(), QStringLiteral("SET_TUN"));
        pressF1(dialog.CancelBtn);
        QCOMPARE(w->currentUrl().fragment(), QStringLiteral("CFG_BTN"));

        // "What's this ?": the next click shows the clicked control's topic.
        dialog.activateWindow();
        QTRY_VERIFY(dialog.isActiveWindow());
        QWhatsThis::enterWhatsThisMode();
        QRadioButton *rts = dialog.PTTGroup->findChildren<QRadioButton *>().value(1);
        QVERIFY(rts);
        QTest::mouseClick(rts, Qt::LeftButton);
        QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
        QCOMPARE(w->currentUrl().fragment(), QStringLiteral("SET_POR"));
        w->close();
    }

    // The setup dialog runs modally; help asked from it must take the
    // operator's clicks, not wait behind the dialog.
    void helpFromAModalDialogTakesInput() {
        ContextHelp context(*m_help);
        context.install();
        SetupFixture setup;
        TSetForm &dialog = setup.open();
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.PageControl->setCurrentWidget(dialog.GeneralSheet);
        dialog.CWMsgEdit->setFocus();
        QTRY_VERIFY(dialog.CWMsgEdit->hasFocus());
        QTest::keyClick(dialog.CWMsgEdit, Qt::Key_F1);
        THelpForm *w = m_help->window();
        QTRY_VERIFY(w->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->currentUrl().fragment(), QStringLiteral("SET_CWI"));
        w->NavTabs->setCurrentIndex(0);
        QTabBar *tabs = w->NavTabs->tabBar();
        // Through the window system, which holds back input to blocked windows
        // (a click sent to the widget itself would get through regardless).
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, tabs->mapTo(w, tabs->tabRect(1).center()));
        QTRY_COMPARE(w->NavTabs->currentIndex(), 1);
        w->close();
        dialog.close();

        // Asked again from a window that is not modal, it is an ordinary window.
        QWidget plain;
        plain.show();
        QVERIFY(QTest::qWaitForWindowActive(&plain));
        m_help->showContents();
        QTRY_VERIFY(w->isVisible());
        QCOMPARE(w->windowModality(), Qt::NonModal);
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
        QCOMPARE(none.errorString(), QStringLiteral("The help file varnek.qch cannot be opened."));
        QVERIFY(!none.isAvailable());

        // In the program: the help button and F1 say so, and no empty window opens.
        FormFixture f;
        TPSKForm &form = f.create();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.help().setManualPath(QStringLiteral("/nonexistent/varnek.qch"));
        form.toolBar().OnLineHelp->trigger();
        form.qso().RXBuf->setFocus();
        QTRY_VERIFY(form.qso().RXBuf->hasFocus());
        QTest::keyClick(form.qso().RXBuf, Qt::Key_F1);
        QCOMPARE(f.dialogs.texts(), QStringList(2, LcfLoadString(Str::HelpFileMissing)));
        QCOMPARE(f.dialogs.shown.first().caption, LcfLoadString(Str::CaptionWarning));
        QVERIFY(!form.help().isAvailable());
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<THelpForm *>(top) || !top->isVisible(), "a help window is shown");
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
