// The macro editor, its help card and the wizard's dialog, driven with the
// mouse and keyboard on real widgets.

#include "ScriptedDialogs.h"
#include "base/SettingsStore.h"
#include "macros/HelpCardTexts.h"
#include "macros/MacroTable.h"
#include "macros/TFiche.h"
#include "macros/TMkProcForm.h"
#include "macros/TTextDragObject.h"
#include "macros/TWizForm.h"
#include "macros/WizardMacros.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct EditorFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("VARNEK.conf"));
    std::unique_ptr<SettingsStore> store;
    ScriptedDialogs dialogs;
    MacroTable table;
    std::unique_ptr<TMkProcForm> form;

    explicit EditorFixture(const QStringList &names = {}) {
        store = std::make_unique<SettingsStore>(path);
        store->open();
        for (const QString &n : names)
            table.append(n, QStringLiteral("hint ") + n, QStringLiteral("text ") + n);
    }
    TMkProcForm &open(int uiLanguage = 0) {
        form = std::make_unique<TMkProcForm>(table, *store, dialogs, uiLanguage, nullptr);
        form->show();
        return *form;
    }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < form->ProcList->count(); ++i)
            out << form->ProcList->item(i)->text();
        return out;
    }
    QStringList tableNames() const {
        QStringList out;
        for (int i = 0; i < table.MacroCount; ++i)
            out << table.MacroNames[i];
        return out;
    }
    QPoint itemCentre(int row) const {
        return form->ProcList->visualItemRect(form->ProcList->item(row)).center();
    }
    void click(int row) {
        QTest::mouseClick(form->ProcList->viewport(), Qt::LeftButton, {}, itemCentre(row));
    }
    // Loads the store afresh, as the next start would.
    MacroTable reload() const {
        SettingsStore again(path);
        again.open();
        MacroTable t;
        t.load(again);
        return t;
    }
};

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestMacroEditor : public QObject {
    Q_OBJECT
private slots:
    void layout() {
        EditorFixture f({"cq", "Answer"});
        TMkProcForm &form = f.open();
        QCOMPARE(form.size(), QSize(467, 260));
        QCOMPARE(form.windowTitle(), QStringLiteral("Create/Edit a macro"));
        QCOMPARE(f.listed(), (QStringList{"CQ", "ANSWER"}));
        QVERIFY(!form.SaveBtn->isEnabled() && !form.EraseBtn->isEnabled());
        QCOMPARE(form.ProcList->width(), 140);
        QCOMPARE(form.HintEdit->size(), QSize(320, 38));
        QCOMPARE(form.TextEdit->size(), QSize(320, 104));
        QCOMPARE(form.NomEdit->maxLength(), 15);
    }

    void choosingShowsTheMacro() {
        EditorFixture f({"A1x", "B2y"});
        f.table.MacroTexts[1] = QStringLiteral("line one\r\nline \\m");
        TMkProcForm &form = f.open();
        f.click(1);
        QCOMPARE(f.table.SelectedMacro, 1);
        QVERIFY(form.EraseBtn->isEnabled());
        QCOMPARE(form.NomEdit->text(), QStringLiteral("B2y"));
        QCOMPARE(form.HintEdit->toPlainText(), QStringLiteral("hint B2y"));
        QCOMPARE(form.TextEdit->toPlainText(), QStringLiteral("line one\nline \\m"));
    }

    void nameNeedsThreeCharacters() {
        EditorFixture f;
        TMkProcForm &form = f.open();
        QTest::keyClicks(form.NomEdit, QStringLiteral("AB"));
        QVERIFY(!form.SaveBtn->isEnabled());
        QTest::keyClicks(form.NomEdit, QStringLiteral("C"));
        QVERIFY(form.SaveBtn->isEnabled());
        QTest::keyClicks(form.NomEdit, QStringLiteral("DEFGHIJKLMNOPQRSTU"));
        QCOMPARE(form.NomEdit->text().size(), 15);
    }

    // The checks of Save in their order, each with its own message.
    void save_data() {
        QTest::addColumn<int>("defined");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("answer"); // to "Modify it ?": 1 yes, 0 no
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<QString>("text0After");
        const QString modify = QStringLiteral("This macro already exists !\nModify it ?");
        QTest::newRow("no name") << 2 << ""
                                 << "h"
                                 << "t" << 0 << QStringList{"A macro must have a name !"} << 0 << 2
                                 << "text M0";
        QTest::newRow("same name other case, yes")
            << 2 << "m0"
            << ""
            << "new\ntext" << 1 << QStringList{modify} << 0 << 2 << "new\r\ntext";
        QTest::newRow("same name, no") << 2 << "M0"
                                       << "h"
                                       << "other" << 0 << QStringList{modify} << 0 << 2 << "text M0";
        QTest::newRow("same name, empty text") << 2 << "M0"
                                               << ""
                                               << "" << 1 << QStringList{modify} << 0 << 2 << "";
        QTest::newRow("full") << 40 << "NEW"
                              << ""
                              << "" << 0 << QStringList{"Maximum number of macros is 40. Sorry..."} << 0 << 40
                              << "text M0";
        QTest::newRow("full, same name") << 40 << "M39"
                                         << ""
                                         << "x" << 0 << QStringList{modify} << 0 << 40 << "text M0";
        QTest::newRow("no hint nor text")
            << 2 << "NEW"
            << ""
            << "" << 0 << QStringList{"You forgot the hint !"} << 1 << 2 << "text M0";
        QTest::newRow("no text") << 2 << "NEW"
                                 << "h"
                                 << "" << 0 << QStringList{"You forgot the text !"} << 1 << 2 << "text M0";
        QTest::newRow("added") << 2 << "Nouveau"
                               << "a hint"
                               << "cq\n\\m" << 0 << QStringList{} << 0 << 3 << "text M0";
    }
    void save() {
        QFETCH(int, defined);
        QFETCH(QString, name);
        QFETCH(QString, hint);
        QFETCH(QString, text);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(int, beeps);
        QFETCH(int, countAfter);
        QFETCH(QString, text0After);
        QStringList names;
        for (int i = 0; i < defined; ++i)
            names << QStringLiteral("M%1").arg(i);
        EditorFixture f(names);
        f.dialogs.answers << (answer ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        TMkProcForm &form = f.open();
        form.NomEdit->setText(name);
        form.HintEdit->setPlainText(hint);
        form.TextEdit->setPlainText(text);
        form.SaveBtnClick();
        QCOMPARE(f.dialogs.texts(), messages);
        QCOMPARE(f.dialogs.beeps, beeps);
        QCOMPARE(f.table.MacroCount, countAfter);
        QCOMPARE(f.table.MacroTexts[0], text0After);
        QCOMPARE(f.table.MacroNames[0], QStringLiteral("M0")); // a modify keeps name and hint
        QCOMPARE(f.table.MacroHints[0], QStringLiteral("hint M0"));
        if (countAfter > defined) {
            QCOMPARE(f.listed().last(), name.toUpper());
            QCOMPARE(f.table.MacroNames[defined], name);
            QCOMPARE(f.table.MacroTexts[defined], QStringLiteral("cq\r\n\\m"));
            QVERIFY(form.NomEdit->text().isEmpty() && form.TextEdit->toPlainText().isEmpty());
            QVERIFY(!form.SaveBtn->isEnabled());
        }
    }

    // The old last position is blanked at once, so the next start loads two.
    void deleteThenCloseLoadsTwoOfThree() {
        EditorFixture f({"A", "B", "C"});
        f.table.save(*f.store);
        f.dialogs.answers << Dialogs::Answer::Yes;
        TMkProcForm &form = f.open();
        f.click(1);
        QTest::mouseClick(form.EraseBtn, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList{"Delete this macro ?"});
        QCOMPARE(f.listed(), (QStringList{"A", "C"}));
        QVERIFY(!form.EraseBtn->isEnabled());
        QCOMPARE(f.reload().MacroCount, 2); // already, before the close
        form.close();                       // the title bar's close saves too
        const MacroTable loaded = f.reload();
        QCOMPARE(loaded.MacroCount, 2);
        QCOMPARE(loaded.MacroNames[1], QStringLiteral("C"));
        QCOMPARE(loaded.MacroTexts[1], QStringLiteral("text C"));
        QCOMPARE(f.store->readString(StoreGroup::macros(), QStringLiteral("MacroText3"), QStringLiteral("?")),
                 QString());
    }

    void deleteAnsweredNo() {
        EditorFixture f({"A", "B"});
        TMkProcForm &form = f.open();
        f.click(0);
        form.EraseBtnClick();
        QCOMPARE(f.tableNames(), (QStringList{"A", "B"}));
        QVERIFY(!form.EraseBtn->isEnabled());
    }

    void everyCloseWrites_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Exit dialog") << 0;
        QTest::newRow("title bar") << 1;
        QTest::newRow("Escape") << 2;
    }
    void everyCloseWrites() {
        QFETCH(int, how);
        EditorFixture f({"A", "B"});
        TMkProcForm &form = f.open();
        if (how == 0)
            QTest::mouseClick(form.OkBtn, Qt::LeftButton);
        else if (how == 1)
            form.close();
        else
            QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QCOMPARE(f.reload().MacroCount, 2);
    }

    // Choose with a left click, drag with the right button, drop on a row.
    void dragReorders_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("onto"); // 4: below the last item
        QTest::addColumn<QStringList>("result");
        QTest::newRow("D onto B") << 3 << 1 << QStringList{"A", "D", "B", "C"};
        QTest::newRow("A onto C") << 0 << 2 << QStringList{"B", "A", "C", "D"};
        QTest::newRow("B below the last") << 1 << 4 << QStringList{"A", "C", "D", "B"};
        QTest::newRow("B onto B") << 1 << 1 << QStringList{"A", "B", "C", "D"};
    }
    void dragReorders() {
        QFETCH(int, from);
        QFETCH(int, onto);
        QFETCH(QStringList, result);
        EditorFixture f({"A", "B", "C", "D"});
        TMkProcForm &form = f.open();
        QWidget *viewport = form.ProcList->viewport();
        const QPoint target = onto < 4 ? f.itemCentre(onto) : f.itemCentre(3) + QPoint(0, 13);
        bool accepted = false;
        QString carried;
        form.runDrag = [&](TTextDragObject *object) {
            carried = object->dragText();
            QDragEnterEvent enter(f.itemCentre(from), Qt::MoveAction, object, Qt::RightButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(viewport, &enter);
            QDragMoveEvent move(target, Qt::MoveAction, object, Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
            accepted = enter.isAccepted() && move.isAccepted();
            QDropEvent drop(QPointF(target), Qt::MoveAction, object, Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &drop);
        };
        f.click(from);
        const QPoint start = f.itemCentre(from);
        sendMouse(viewport, QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
        QCOMPARE(form.ProcList->currentRow(), from); // a right press selects nothing new
        sendMouse(viewport, QEvent::MouseMove, start + QPoint(1, 1), Qt::NoButton, Qt::RightButton);
        QVERIFY(carried.isEmpty()); // two pixels are not a drag yet
        sendMouse(viewport, QEvent::MouseMove, start + QPoint(2, 1), Qt::NoButton, Qt::RightButton);
        QCOMPARE(carried, QString(QChar('A' + from)));
        QVERIFY(accepted);
        QCOMPARE(f.tableNames(), result);
        QCOMPARE(f.listed(), result);
        QCOMPARE(form.dragObject(), nullptr);
        QCOMPARE(f.table.MacroTexts[0], QStringLiteral("text ") + result[0]);
    }

    void leftDragMovesNothing() {
        EditorFixture f({"A", "B", "C"});
        TMkProcForm &form = f.open();
        bool dragged = false;
        form.runDrag = [&](TTextDragObject *) { dragged = true; };
        QWidget *viewport = form.ProcList->viewport();
        sendMouse(viewport, QEvent::MouseButtonPress, f.itemCentre(0), Qt::LeftButton, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseMove, f.itemCentre(2), Qt::NoButton, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseButtonRelease, f.itemCentre(2), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!dragged);
        QCOMPARE(f.tableNames(), (QStringList{"A", "B", "C"}));
    }

    // Without a chosen macro there is nothing to carry; other drags are refused.
    void dragWithoutChoiceOrForeignData() {
        EditorFixture f({"A", "B"});
        TMkProcForm &form = f.open();
        QVERIFY(!form.ProcListStartDrag());
        QMimeData foreign;
        foreign.setText(QStringLiteral("A"));
        QVERIFY(!form.ProcListDragOver(&foreign, f.itemCentre(0)));
        form.ProcListDragDrop(&foreign, f.itemCentre(0));
        QCOMPARE(f.tableNames(), (QStringList{"A", "B"}));
    }

    void dragPicture() {
        TTextDragObject object(QStringLiteral("CQ CQ..."));
        const QImage image = object.GetDragImages().toImage();
        QVERIFY(image.width() > 20 && image.height() > 5);
        int navy = 0, white = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                navy += p == qRgb(0, 0, 0x80);
                white += p == qRgb(0xff, 0xff, 0xff);
            }
        QVERIFY(navy > image.width() * image.height() / 2);
        QVERIFY(white > 0);
    }

    void helpCard_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("gLine");
        QTest::newRow("English")
            << 0 << "Macros' name : It's the name that will appear on the button"
            << "\\g - Salutation according to the time of the day (\"Good night\" for example).";
        QTest::newRow("French")
            << 1 << "Nom de la macro : c'est le nom qui apparaîtra sur le bouton"
            << "\\g - Salutation selon l'heure de la journée (« Good evening » par exemple).";
        QTest::newRow("other")
            << 2 << "Macros' name : It's the name that will appear on the button"
            << "\\g  Salutation according to the time of the day (\"Good night\" for example).";
    }
    void helpCard() {
        QFETCH(int, language);
        QFETCH(QString, first);
        QFETCH(QString, gLine);
        EditorFixture f({"A"});
        TMkProcForm &form = f.open(language);
        QTest::mouseClick(form.InfoBtn, Qt::LeftButton);
        QTest::mouseClick(form.InfoBtn, Qt::LeftButton); // each click opens another card
        const QList<TFiche *> cards = form.findChildren<TFiche *>();
        QCOMPARE(cards.size(), 2);
        TFiche *card = cards.first();
        QVERIFY(card->isVisible());
        QCOMPARE(card->windowTitle(), QStringLiteral("Infos macros"));
        QCOMPARE(card->size(), QSize(440, 342));
        const QStringList lines = card->LeMemo->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), first);
        QVERIFY2(lines.contains(gLine), qPrintable(lines.join('\n')));
        // Every code has its line, and every line of the text ends with CR LF.
        for (const char *code : {"\\c", "\\d", "\\f", "\\g", "\\h", "\\i", "\\m", "\\n", "\\r", "\\t", "\\u",
                                 "\\v", "\\w", "\\x", "\\z"})
            QVERIFY(std::any_of(lines.begin(), lines.end(),
                                [&](const QString &l) { return l.startsWith(QLatin1String(code)); }));
        const QString text = helpCardText(language);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\n')));
    }

    void helpCardSecondEnglishSpacing() {
        const QStringList lines = helpCardText(2).split(QStringLiteral("\r\n"));
        QVERIFY(lines.contains(
            QStringLiteral("\\c  - Other station's callsign as entered in the \"Qso in progress\" box")));
        QVERIFY(lines.contains(QStringLiteral("\\u  - UTC hour")));
        // Apart from the spacing the two English texts are the same.
        QString narrowed = helpCardText(2);
        narrowed.replace(QStringLiteral("  - "), QStringLiteral(" - "));
        narrowed.replace(QStringLiteral("\\g  "), QStringLiteral("\\g - "));
        QCOMPARE(narrowed, helpCardText(0));
    }

    // ---- The wizard's dialog ----------------------------------------

    void wizardNeedsAChange_data() {
        QTest::addColumn<QString>("field");
        for (const char *name : {"CallEdit", "NameEdit", "RigEdit", "PowEdit", "AntEdit", "OrdiEdit",
                                 "CITYEdit", "QTHEdit", "QSLEdit", "LOCEdit"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void wizardNeedsAChange() {
        QFETCH(QString, field);
        TWizForm form(nullptr);
        StationInfoText stored;
        stored.location = QStringLiteral("Near the river\\nHill top\\n");
        form.fill(QStringLiteral("Q1ABC"), stored);
        form.show();
        QVERIFY(!form.CreateBtn->isEnabled());
        QWidget *w = form.findChild<QWidget *>(field);
        QVERIFY(w);
        if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            QTest::keyClicks(memo->viewport(), QStringLiteral("x"));
        w->setFocus();
        QTest::keyClicks(w, QStringLiteral("x"));
        QVERIFY(form.CreateBtn->isEnabled());
    }

    void wizardFillsAndReads() {
        TWizForm form(nullptr);
        QCOMPARE(form.size(), QSize(570, 327));
        QCOMPARE(form.windowTitle(), QStringLiteral("Macro Wizard Dialog"));
        StationInfoText stored;
        stored.name = QStringLiteral("Jean");
        stored.location = QStringLiteral("Near the river\\nHill top\\n");
        stored.qslInfo = QStringLiteral("C:\\temp");
        form.fill(QStringLiteral("Q1ABC "), stored);
        QCOMPARE(form.QTHEdit->toPlainText(), QStringLiteral("Near the river\nHill top\n"));
        QCOMPARE(form.QSLEdit->toPlainText(), QStringLiteral("C:\nemp"));
        const StationInfo info = form.stationInfo();
        QCOMPARE(info.call, QStringLiteral("Q1ABC "));
        QCOMPARE(info.location, (QStringList{"Near the river", "Hill top"}));
        QCOMPARE(info.name, QStringLiteral("Jean"));
    }

    // Pictures to look at: VARNEK_SHOTS=<folder> saves them there.
    void screenshots() {
        const QString folder = qEnvironmentVariable("VARNEK_SHOTS");
        if (folder.isEmpty())
            QSKIP("set VARNEK_SHOTS to a folder to save the pictures");
        EditorFixture f;
        StationInfo info;
        info.call = QStringLiteral("Q1ABC");
        for (const MacroDefinition &m : wizardMacros(info))
            f.table.append(m.name, m.hint, m.text);
        TMkProcForm &form = f.open();
        f.click(4);
        form.grab().save(folder + QStringLiteral("/editor.png"));

        f.click(6);
        const QPoint target = f.itemCentre(1) + QPoint(0, 2);
        TTextDragObject object(f.form->ProcList->item(6)->text());
        QDragEnterEvent enter(target, Qt::MoveAction, &object, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(form.ProcList->viewport(), &enter);
        QPixmap shot = form.grab();
        {
            // The drag picture follows the pointer; the platform draws it, so
            // it is put on the picture here.
            QPainter painter(&shot);
            painter.drawPixmap(form.ProcList->viewport()->mapTo(&form, target), object.GetDragImages());
        }
        shot.save(folder + QStringLiteral("/editor-drag.png"));

        for (int language : {0, 1}) {
            TFiche card(language, nullptr);
            card.show();
            card.grab().save(folder + QStringLiteral("/helpcard-%1.png").arg(language));
        }
        TWizForm wizard(nullptr);
        StationInfoText stored;
        stored.name = QStringLiteral("Jean");
        stored.location = QStringLiteral("Near the river\\nHill top\\n");
        wizard.fill(QStringLiteral("Q1ABC"), stored);
        wizard.show();
        wizard.grab().save(folder + QStringLiteral("/wizard.png"));
    }
};

QTEST_MAIN(TestMacroEditor)
#include "test_macros_editor.moc"
