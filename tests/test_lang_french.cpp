// The shipped French language file, as the program starts with it: the
// splash window chooses by the system's default locale (LANG, with LC_ALL
// unset, set by the test's environment) and the main window and dialogs
// come up translated. Run twice: LANG=fr_FR.UTF-8 and LANG=de_DE.UTF-8.

#include "FormFixture.h"
#include "about/TAboutForm.h"
#include "base/StatusBar.h"
#include "lang/LanguageChoice.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "lang/TSplashForm.h"
#include "log/TADIFForm.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

namespace {

bool french() {
    return qEnvironmentVariable("VARNEK_EXPECT_UI_LANGUAGE") == QLatin1String("1");
}

// French text or English, by the run.
QString fr(const QString &french_, const QString &english) {
    return french() ? french_ : english;
}

template <typename T = QObject> T *find(QObject *root, const char *name) {
    return root->findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class TestLangFrench : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_splash = std::make_unique<TSplashForm>(SystemLanguageName(),
                                                 QStringList{QStringLiteral(VARNEK_LANGUAGE_FILE)});
    }
    void cleanupTestCase() {
        m_splash.reset();
        CloseLanguageFile();
    }

    void choice() {
        QCOMPARE(UILanguage(), qEnvironmentVariableIntValue("VARNEK_EXPECT_UI_LANGUAGE"));
        // The file holds French only: any other choice asks for English and
        // finds nothing, so the built-in texts stay.
        QCOMPARE(m_splash->LanguageFileResult(), french() ? 1 : 0);
        QCOMPARE(m_splash->DateLabel->text(),
                 fr(u"Version 1.6a (printemps 2006) "_qs, "Version 1.6a (Spring 2006) "));
    }

    void mainWindow() {
        FormFixture f;
        TPSKForm &form = f.create();
        QCOMPARE(f.form->toolBar().Connection->toolTip(),
                 fr("Connecter/activer la carte son", "Connect/activate soundcard"));
        QCOMPARE(find<QAction>(&form, "ExitProgram")->toolTip(), fr("Quitter VARNEK...", "Exit VARNEK..."));
        QCOMPARE(find<QTabWidget>(&form, "Canal")->tabText(0), fr("Piste active", "Active track"));
        QCOMPARE(find<QTabWidget>(&form, "PageControl")->tabText(0), fr("Panneau des pistes", "Track panel"));
        QCOMPARE(find<QTabWidget>(&form, "Monitor")->tabText(0), fr(" Spectre ", " Spectrum "));
        QCOMPARE(find<QGroupBox>(&form, "QSOBox")->title(), fr(u"Bo\u00eete QSO"_qs, "QSO Box"));
        QCOMPARE(find<QLabel>(&form, "HisCallLbl")->text(), fr("Indicatif", "His Callsign"));
        QCOMPARE(find<QPushButton>(&form, "StoreBtn")->text(), fr("&Noter", "&Store"));
        QCOMPARE(f.form->status().StatusBar->panelText(2), fr("Programme inactif", "Program is idle"));
        QCOMPARE(LcfLoadString(Str::ExitQuestion),
                 fr("Voulez-vous quitter VARNEK ?", "Do you want to exit VARNEK ?"));
        if (qEnvironmentVariableIsSet("VARNEK_SCREENSHOTS")) {
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.grab().save(qEnvironmentVariable("VARNEK_SCREENSHOTS") + QStringLiteral("/main.png"));
        }
    }

    void adifDialog() {
        FormFixture f;
        TADIFForm adif(f.dialogs, f.clock);
        QCOMPARE(adif.windowTitle(), fr("Noter ce QSO au format ADIF", "Save this QSO under ADIF format"));
        QCOMPARE(find<QLabel>(&adif, "RSTRLabel")->text(), fr(u"RST re\u00e7u"_qs, "RST Received"));
        QCOMPARE(find<QPushButton>(&adif, "AcceptBtn")->text(), fr("&Enregistrer", "&Save"));
        if (qEnvironmentVariableIsSet("VARNEK_SCREENSHOTS"))
            adif.grab().save(qEnvironmentVariable("VARNEK_SCREENSHOTS") + QStringLiteral("/adif.png"));
    }

    // Every window entry of the translation names a control that exists, so
    // a renamed control cannot silently drop its translation.
    void everyEntryFindsItsControl() {
        FormFixture f;
        f.create();
        TADIFForm adif(f.dialogs, f.clock);
        TAboutForm about;
        const QHash<QString, QObject *> windows{{QStringLiteral("TPSKForm"), f.form.get()},
                                                {QStringLiteral("TADIFForm"), &adif},
                                                {QStringLiteral("TAboutForm"), &about},
                                                {QStringLiteral("TSplashForm"), m_splash.get()}};
        QFile source(QStringLiteral(VARNEK_FRENCH_SOURCE));
        QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Text));
        const QRegularExpression entry(QStringLiteral("^(T\\w+) (\\w+) (\\S+) \""));
        int checked = 0;
        while (!source.atEnd()) {
            const auto m = entry.match(QString::fromUtf8(source.readLine()));
            if (!m.hasMatch() || !windows.contains(m.captured(1)))
                continue;
            QObject *window = windows[m.captured(1)];
            const QString component = m.captured(2);
            QVERIFY2(window->objectName() == component || window->findChild<QObject *>(component),
                     qPrintable(m.captured(0)));
            ++checked;
        }
        QVERIFY(checked > 0);
    }

private:
    std::unique_ptr<TSplashForm> m_splash;
};

QTEST_MAIN(TestLangFrench)
#include "test_lang_french.moc"
