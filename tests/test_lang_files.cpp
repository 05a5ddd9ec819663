// Opening language files and translating windows with them, against files
// built from hand-written resource scripts (tests/fixtures/lang).

#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

QString fixture(const QString &name) {
    return QStringLiteral(VARNEK_LANG_FIXTURES "/") + name;
}

} // namespace

// A bar of numbered text panels, like the main window's status bar.
class TPanelBar : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    Q_INVOKABLE int panelCount() const { return static_cast<int>(texts.size()); }
    Q_INVOKABLE QString panelText(int k) const { return texts.value(k); }
    Q_INVOKABLE void setPanelText(int k, const QString &t) { texts[k] = t; }
    QStringList texts{QStringLiteral("p0"), QStringLiteral("p1"), QStringLiteral("p2")};
};

class TTestForm : public QWidget {
    Q_OBJECT
public:
    TTestForm() {
        setObjectName(QStringLiteral("TestForm"));
        setWindowTitle(QStringLiteral("Test"));
        ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("OkButton"));
        name = new QLineEdit(QStringLiteral("Name"), this);
        name->setObjectName(QStringLiteral("NameEdit"));
        name->setCursorPosition(0);
        mode = new QComboBox(this);
        mode->setObjectName(QStringLiteral("ModeBox"));
        mode->addItems({QStringLiteral("BPSK"), QStringLiteral("QPSK"), QStringLiteral("Both")});
        memo = new QPlainTextEdit(QStringLiteral("one\ntwo\nthree"), this);
        memo->setObjectName(QStringLiteral("Memo"));
        status = new TPanelBar(this);
        status->setObjectName(QStringLiteral("Status"));
        pages = new QTabWidget(this);
        pages->setObjectName(QStringLiteral("Pages"));
        auto *a = new QWidget;
        a->setObjectName(QStringLiteral("PageA"));
        pages->addTab(a, QStringLiteral("Alpha"));
        pages->addTab(new QWidget, QStringLiteral("Beta"));
    }
    QPushButton *ok;
    QLineEdit *name;
    QComboBox *mode;
    QPlainTextEdit *memo;
    TPanelBar *status;
    QTabWidget *pages;
};

// Windows whose resources hold a broken entry between two good ones.
class TRangeForm : public TTestForm {
    Q_OBJECT
public:
    TRangeForm() { setObjectName(QStringLiteral("RangeForm")); }
};
class TNumberForm : public TTestForm {
    Q_OBJECT
public:
    TNumberForm() { setObjectName(QStringLiteral("NumberForm")); }
};

class TestLangFiles : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CloseLanguageFile(); }

    void loadResult_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("result");
        QTest::newRow("French") << "forms.lcf" << 1036 << 1;
        QTest::newRow("English, second column") << "forms.lcf" << 1033 << 1;
        QTest::newRow("PE32 module") << "forms32.lcf" << 1036 << 1;
        QTest::newRow("language absent") << "german.lcf" << 1036 << 0;
        QTest::newRow("no LCHEADER") << "noheader.lcf" << 1036 << -1;
        QTest::newRow("header of 12 bytes") << "shortheader.lcf" << 1036 << -1;
        QTest::newRow("wrong magic") << "badmagic.lcf" << 1036 << -1;
        QTest::newRow("missing file") << "nothing-here.lcf" << 1036 << -1;
        QTest::newRow("not a module") << "forms.lcf.o" << 1036 << -1;
    }
    void loadResult() {
        QFETCH(QString, file);
        QFETCH(int, language);
        QFETCH(int, result);
        QList<int> listed;
        const int got = LoadLanguageFile(fixture(file), language, [&](int id, QWidget *) {
            listed << id;
            return true;
        });
        QCOMPARE(got, result);
        QCOMPARE(CurrentLcf() != nullptr, result == 1);
        if (result >= 0 && file.startsWith(QLatin1String("forms")))
            QCOMPARE(listed, (QList<int>{1036, 1033}));
        if (result != 1) {
            QCOMPARE(LcfLoadString(Str::ProgramIdle), builtinString(Str::ProgramIdle));
            TTestForm form;
            QVERIFY(!TranslateForm(&form));
            QCOMPARE(form.windowTitle(), QStringLiteral("Test"));
        }
    }

    void callbackStopsTheListing() {
        QList<int> listed;
        QCOMPARE(LoadLanguageFile(fixture("forms.lcf"), 1033,
                                  [&](int id, QWidget *) {
                                      listed << id;
                                      return false;
                                  }),
                 1);
        QCOMPARE(listed, QList<int>{1036});
    }

    // Flag bit 0 adds a leading pair to string resources only.
    void strings_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("idle");
        QTest::addColumn<QString>("receiving");
        const QString builtinReceiving = builtinString(Str::ReceivingNow);
        QTest::newRow("bit set, French first")
            << "forms.lcf" << 1036 << 1 << u"Programme arr\u00eat\u00e9."_qs << builtinReceiving;
        QTest::newRow("bit set, English") << "forms.lcf" << 1033 << 2 << "Idle EN."
                                          << "Recv";
        QTest::newRow("bit clear, French first")
            << "forms-clear.lcf" << 1036 << 0 << u"Programme arr\u00eat\u00e9."_qs << builtinReceiving;
        QTest::newRow("bit clear, English") << "forms-clear.lcf" << 1033 << 1 << "Program is idle"
                                            << "Recv";
    }
    void strings() {
        QFETCH(QString, file);
        QFETCH(int, language);
        QFETCH(int, column);
        QFETCH(QString, idle);
        QFETCH(QString, receiving);
        QCOMPARE(LoadLanguageFile(fixture(file), language), 1);
        QCOMPARE(CurrentLcf()->StringColumn, column);
        QCOMPARE(LcfLoadString(Str::ProgramIdle), idle);
        QCOMPARE(LcfLoadString(Str::ReceivingNow), receiving);
        QCOMPARE(LcfLoadString(Str::Transmitting), builtinString(Str::Transmitting));
        CloseLanguageFile();
        QCOMPARE(LcfLoadString(Str::ProgramIdle), builtinString(Str::ProgramIdle));
    }

    // Window items are read at the language's position + 1 whatever flag bit 0 says.
    void translateForm_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>(
            "expected"); // title, button, combo line 2, memo line 1, panel 1, tabs 0 and 1
        const QStringList french{u"Fen\u00eatre"_qs, "Premier", "Les deux", "deux",
                                 "panneau",          "Alfa",    "Bravo"};
        QTest::newRow("French, bit set") << "forms.lcf" << 1036 << french;
        QTest::newRow("French, bit clear") << "forms-clear.lcf" << 1036 << french;
        QTest::newRow("English") << "forms.lcf" << 1033
                                 << QStringList{"Window", "First", "Both", "two", "panel", "Alpha", "Beta"};
    }
    void translateForm() {
        QFETCH(QString, file);
        QFETCH(int, language);
        QFETCH(QStringList, expected);
        QCOMPARE(LoadLanguageFile(fixture(file), language), 1);
        TTestForm form;
        QSignalSpy nameChanged(form.name, &QLineEdit::textChanged);
        QStringList errors;
        QVERIFY(TranslateForm(&form, [&](const QString &m) { errors << m; }));
        QCOMPARE(errors, QStringList());
        const QStringList got{form.windowTitle(),     form.ok->text(),
                              form.mode->itemText(2), form.memo->toPlainText().split('\n').value(1),
                              form.status->texts[1],  form.pages->tabText(0),
                              form.pages->tabText(1)};
        QCOMPARE(got, expected);
        // Untouched: the line a list-line step written last names, the other
        // lines, a text the file leaves out, and an equal text (not rewritten,
        // so no change signal and the caret stays).
        QCOMPARE(form.mode->itemText(0), QStringLiteral("BPSK"));
        QCOMPARE(form.memo->toPlainText(), QStringLiteral("one\n%1\nthree").arg(expected[3]));
        QCOMPARE(form.name->toolTip(), language == 1033 ? QStringLiteral("Hint") : QString());
        QCOMPARE(nameChanged.count(), 0);
        QCOMPARE(form.name->cursorPosition(), 0);
    }

    void formWithoutResource() {
        QCOMPARE(LoadLanguageFile(fixture("forms.lcf"), 1036), 1);
        QWidget plain;
        plain.setWindowTitle(QStringLiteral("Plain"));
        QVERIFY(!TranslateForm(&plain));
        QCOMPARE(plain.windowTitle(), QStringLiteral("Plain"));
    }

    // A broken entry stops the window's translation with an error; the
    // entries applied before it (listed after it) stay applied.
    void brokenEntry_data() {
        QTest::addColumn<bool>("range");
        QTest::addColumn<QString>("message");
        QTest::newRow("index out of bounds") << true << "List index out of bounds (5)";
        QTest::newRow("index not a number") << false << "'x1' is not a valid integer value";
    }
    void brokenEntry() {
        QFETCH(bool, range);
        QFETCH(QString, message);
        QCOMPARE(LoadLanguageFile(fixture("forms.lcf"), 1036), 1);
        std::unique_ptr<TTestForm> form;
        if (range)
            form = std::make_unique<TRangeForm>();
        else
            form = std::make_unique<TNumberForm>();
        QStringList errors;
        QVERIFY(TranslateForm(form.get(), [&](const QString &m) { errors << m; }));
        QCOMPARE(errors, QStringList{message});
        QCOMPARE(form->ok->text(), QStringLiteral("Avant"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Test"));
    }
};

QTEST_MAIN(TestLangFiles)
#include "test_lang_files.moc"
