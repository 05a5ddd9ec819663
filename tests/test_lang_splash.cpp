// The splash window and the choice of language from the system's default
// locale. The process runs with the French (Canada) locale as its system
// default, set before the application starts.

#include "lang/LanguageChoice.h"
#include "lang/Lcf.h"
#include "lang/TSplashForm.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

QString fixture(const QString &name) {
    return QStringLiteral(VARNEK_LANG_FIXTURES "/") + name;
}

} // namespace

class TestLangSplash : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        CloseLanguageFile();
        QLocale::setDefault(QLocale::c());
    }

    void localeTable_data() {
        QTest::addColumn<QLocale::Language>("language");
        QTest::addColumn<QLocale::Territory>("territory");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("uiLanguage");
        QTest::addColumn<int>("languageId");
        QTest::newRow("French, Canada") << QLocale::French << QLocale::Canada << "FRC" << 1 << 1036;
        QTest::newRow("French, France") << QLocale::French << QLocale::France << "FRA" << 1 << 1036;
        QTest::newRow("French, Belgium") << QLocale::French << QLocale::Belgium << "FRB" << 1 << 1036;
        QTest::newRow("French, Luxembourg") << QLocale::French << QLocale::Luxembourg << "FRL" << 1 << 1036;
        QTest::newRow("French, Monaco") << QLocale::French << QLocale::Monaco << "FRM" << 1 << 1036;
        QTest::newRow("French, Switzerland") << QLocale::French << QLocale::Switzerland << "FRS" << 1 << 1036;
        QTest::newRow("French, Haiti") << QLocale::French << QLocale::Haiti << "" << 2 << 1033;
        QTest::newRow("English, United States")
            << QLocale::English << QLocale::UnitedStates << "ENU" << 0 << 1033;
        QTest::newRow("English, United Kingdom")
            << QLocale::English << QLocale::UnitedKingdom << "ENG" << 0 << 1033;
        QTest::newRow("English, Barbados") << QLocale::English << QLocale::Barbados << "ENB" << 0 << 1033;
        QTest::newRow("English, Zimbabwe") << QLocale::English << QLocale::Zimbabwe << "ENW" << 0 << 1033;
        QTest::newRow("English, India") << QLocale::English << QLocale::India << "ENN" << 2 << 1033;
        QTest::newRow("German") << QLocale::German << QLocale::Germany << "DEU" << 2 << 1033;
        QTest::newRow("Japanese") << QLocale::Japanese << QLocale::Japan << "" << 2 << 1033;
    }
    void localeTable() {
        QFETCH(QLocale::Language, language);
        QFETCH(QLocale::Territory, territory);
        QFETCH(QString, name);
        QFETCH(int, uiLanguage);
        QFETCH(int, languageId);
        QCOMPARE(WindowsLanguageName(language, territory), name);
        const LanguageChoice choice = ChooseLanguage(name);
        QCOMPARE(choice.uiLanguage, uiLanguage);
        QCOMPARE(choice.languageId, languageId);
    }

    void namesCompareWithCase() { QCOMPARE(ChooseLanguage(QStringLiteral("frc")).uiLanguage, 2); }

    // The program's own default locale (the user's choice inside the
    // program) does not change what the system's default is.
    void systemDefaultNotUserLocale() {
        QCOMPARE(SystemLanguageName(), QStringLiteral("FRC"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(SystemLanguageName(), QStringLiteral("FRC"));
        TSplashForm splash(nullptr);
        QCOMPARE(UILanguage(), 1);
    }

    void window() {
        TSplashForm splash(QStringLiteral("FRC"), {fixture("forms.lcf")});
        QCOMPARE(splash.size(), QSize(402, 282));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.ImgSplash->geometry(), QRect(0, 0, 402, 282));
        QCOMPARE(splash.ImgSplash->pixmap().size(), QSize(402, 282));
        QCOMPARE(splash.DateLabel->text(), QStringLiteral("Version 1.6a (Spring 2006) "));
        QCOMPARE(splash.DateLabel->geometry(), QRect(0, 261, 402, 21));
        QVERIFY(splash.DateLabel->alignment() & Qt::AlignRight);
        QVERIFY(splash.DateLabel->font().bold());
        QCOMPARE(splash.DateLabel->font().pixelSize(), 16);
        QCOMPARE(splash.tmMainTimer->interval(), 2000);
        QVERIFY(splash.tmMainTimer->isActive());
        splash.show();
        QTRY_VERIFY_WITH_TIMEOUT(!splash.tmMainTimer->isActive(), 20000);
    }

    void opensTheLanguageFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("uiLanguage");
        QTest::addColumn<int>("result");
        QTest::newRow("French") << "FRC" << QStringList{fixture("forms.lcf")} << 1 << 1;
        QTest::newRow("German asks English") << "DEU" << QStringList{fixture("forms.lcf")} << 2 << 1;
        QTest::newRow("language absent") << "FRA" << QStringList{fixture("german.lcf")} << 1 << 0;
        QTest::newRow("no file") << "ENU" << QStringList{fixture("none.lcf")} << 0 << -1;
        QTest::newRow("installed copy")
            << "FRS" << QStringList{fixture("none.lcf"), fixture("forms.lcf")} << 1 << 1;
        QTest::newRow("beside the program wins")
            << "FRS" << QStringList{fixture("german.lcf"), fixture("forms.lcf")} << 1 << 0;
    }
    void opensTheLanguageFile() {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(int, uiLanguage);
        QFETCH(int, result);
        setUILanguage(-1);
        TSplashForm splash(name, files);
        QCOMPARE(UILanguage(), uiLanguage);
        QCOMPARE(splash.LanguageFileResult(), result);
        QCOMPARE(CurrentLcf() != nullptr, result == 1);
    }
};

int main(int argc, char *argv[]) {
    // The system default locale must be set before Qt reads it.
    qputenv("LC_ALL", "fr_CA.UTF-8");
    QApplication app(argc, argv);
    TestLangSplash test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_lang_splash.moc"
