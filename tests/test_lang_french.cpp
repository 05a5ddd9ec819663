// The shipped French language file, as the program starts with it: the
// splash window chooses by the system's default locale (LANG, with LC_ALL
// unset, set by the test's environment) and the main window and dialogs
// come up translated. Run twice: LANG=fr_FR.UTF-8 and LANG=de_DE.UTF-8.

#include "FormFixture.h"
#include "SetupFixture.h"
#include "about/TAboutForm.h"
#include "base/StatusBar.h"
#include "lang/LanguageChoice.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "lang/TSplashForm.h"
#include "log/TADIFForm.h"
#include "macros/MacroTable.h"
#include "macros/TFiche.h"
#include "macros/TMkProcForm.h"
#include "macros/TWizForm.h"
#include "settings/SetupWidgets.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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

    void setupDialog() {
        SetupFixture f;
        TSetForm &setup = f.open();
        QCOMPARE(setup.windowTitle(), fr("Configuration du programme", "Program setup"));
        QCOMPARE(setup.PageControl->tabText(0), fr(u" G\u00e9n\u00e9ral "_qs, " General "));
        QCOMPARE(find<QLabel>(&setup, "CallLbl")->text(), fr("Mon indicatif", "My callsign"));
        QCOMPARE(find<QLabel>(&setup, "BlocksLbl")->text(),
                 fr(u"Blocs \u00e0 rejouer"_qs, "Blocks to replay"));
        QCOMPARE(setup.PTTGroup->title(), fr(" Activation du port ", " Port activation "));
        QCOMPARE(setup.PTTGroup->button(1)->text(), fr("RTS seul", "RTS only"));
        QCOMPARE(setup.CRDGroup->button(0)->text(), QStringLiteral("Auto"));
        QCOMPARE(setup.ApplyBtn->text(), fr("&Enregistrer et quitter", "&Save and exit"));
        QCOMPARE(find<QLabel>(&setup, "QSOFontBtn")->text(), fr("Police", "Font"));
        // The sound cards' hints are made after the translation, from the string table.
        QVERIFY2(setup.CRDGroup->button(1)->toolTip().startsWith(fr(u"Entr\u00e9e : "_qs, "Input: ")),
                 qPrintable(setup.CRDGroup->button(1)->toolTip()));
        setup.PageControl->setCurrentWidget(setup.GeneralSheet);
        screenshot(&setup, "setup-general.png");
        setup.PageControl->setCurrentWidget(setup.ColorsSheet);
        screenshot(&setup, "setup-colors.png");
    }

    void macroWindows() {
        FormFixture f;
        f.create();
        MacroTable macros;
        TMkProcForm editor(macros, *f.store, f.dialogs, UILanguage(), nullptr);
        QCOMPARE(editor.windowTitle(), fr(u"Cr\u00e9er/modifier une macro"_qs, "Create/Edit a macro"));
        QCOMPARE(find<QLabel>(&editor, "NomLbl")->text(), fr("Nom de la macro", "Macro's name"));
        QCOMPARE(find<QPushButton>(&editor, "OkBtn")->toolTip(),
                 fr("Tout enregistrer et quitter", "Save all and exit dialog"));
        screenshot(&editor, "macro-editor.png");
        TWizForm wizard(nullptr);
        QCOMPARE(wizard.windowTitle(), fr("Assistant de macros", "Macro Wizard Dialog"));
        QCOMPARE(find<QLabel>(&wizard, "PowLbl")->text(), fr("Puissance (watts)", "Power (Watts)"));
        QCOMPARE(find<QPushButton>(&wizard, "CreateBtn")->text(),
                 fr(u"Cr\u00e9er les &macros"_qs, "Create &macros"));
        screenshot(&wizard, "macro-wizard.png");
        QCOMPARE(LcfLoadString(Str::DeleteMacroQuestion),
                 fr("Supprimer cette macro ?", "Delete this macro ?"));
        // What macros send on the air stays as written.
        QCOMPARE(LcfLoadString(Str::GoodMorning), QStringLiteral("Good morning"));
    }

    // Every window entry of the translation names a control that exists, so
    // a renamed control cannot silently drop its translation.
    void everyEntryFindsItsControl() {
        FormFixture f;
        f.create();
        TADIFForm adif(f.dialogs, f.clock);
        TAboutForm about;
        SetupFixture setup;
        MacroTable macros;
        TMkProcForm editor(macros, *f.store, f.dialogs, 0, nullptr);
        TWizForm wizard(nullptr);
        TFiche card(0, nullptr);
        const QHash<QString, QObject *> windows{
            {QStringLiteral("TPSKForm"), f.form.get()},  {QStringLiteral("TADIFForm"), &adif},
            {QStringLiteral("TAboutForm"), &about},      {QStringLiteral("TSplashForm"), m_splash.get()},
            {QStringLiteral("TSetForm"), &setup.open()}, {QStringLiteral("TMkProcForm"), &editor},
            {QStringLiteral("TWizForm"), &wizard},       {QStringLiteral("TFiche"), &card}};
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
    static void screenshot(QWidget *w, const char *name) {
        const QString dir = qEnvironmentVariable("VARNEK_SCREENSHOTS");
        if (!dir.isEmpty())
            w->grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name));
    }

    std::unique_ptr<TSplashForm> m_splash;
};

QTEST_MAIN(TestLangFrench)
#include "test_lang_french.moc"
