// Every window of the program at its design size, on the fonts it ships with:
// no label, button, group title or status panel may cut its text.

#include "FormFixture.h"
#include "MainWindowParts.h"
#include "about/TAboutForm.h"
#include "about/TSysInfoForm.h"
#include "app/Application.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "help/HelpSystem.h"
#include "help/THelpForm.h"
#include "lang/TSplashForm.h"
#include "log/FindDialog.h"
#include "log/TADIFForm.h"
#include "log/TVarnekForm.h"
#include "macros/MacroTable.h"
#include "macros/TFiche.h"
#include "macros/TMkProcForm.h"
#include "macros/TWizForm.h"
#include "macros/WizardMacros.h"
#include "settings/TSetForm.h"
#include "update/TUPDForm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyleOption>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <functional>

namespace {

// The text as drawn: "&x" marks a mnemonic and "&&" stands for one ampersand.
QString shownText(const QString &text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

int widestLine(const QFontMetrics &fm, const QString &text) {
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

struct Cut {
    QString control, text;
    int need = 0, room = 0;
};

QString describe(const QWidget *w) {
    QString name = w->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(w->metaObject()->className());
    for (const QWidget *p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (!p->objectName().isEmpty())
            return p->objectName() + QLatin1Char('/') + name;
    return name;
}

// What a label needs and has, or nothing when it shows no one-line text.
std::optional<Cut> labelCut(const QLabel *l) {
    if (l->text().isEmpty() || l->wordWrap())
        return std::nullopt;
    const QFontMetrics fm = l->fontMetrics();
    const bool rich = l->textFormat() == Qt::RichText ||
                      (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text()));
    int need = 0;
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(l->font());
        doc.setDocumentMargin(0);
        doc.setHtml(l->text());
        need = static_cast<int>(std::ceil(doc.idealWidth()));
    } else {
        need = widestLine(fm, l->buddy() ? shownText(l->text()) : l->text());
    }
    int room = l->contentsRect().width() - 2 * l->margin();
    if (l->alignment() & (Qt::AlignLeft | Qt::AlignRight)) {
        // A framed label indents its text by half an 'x' unless told otherwise.
        const int indent =
            l->indent() >= 0 ? l->indent() : (l->frameWidth() > 0 ? fm.horizontalAdvance(u'x') / 2 : 0);
        room -= indent;
    }
    return Cut{describe(l), l->text(), need, room};
}

// A label sized to its text fits itself, but may run under the control next to it.
std::optional<Cut> labelOverlap(const QLabel *l, int need) {
    const QWidget *parent = l->parentWidget();
    if (!parent || (l->alignment() & (Qt::AlignRight | Qt::AlignHCenter)))
        return std::nullopt;
    const QRect text(l->geometry().topLeft() + l->contentsRect().topLeft() + QPoint(l->margin(), 0),
                     QSize(need, l->contentsRect().height()));
    for (const QObject *o : parent->children()) {
        const auto *sibling = qobject_cast<const QWidget *>(o);
        if (!sibling || sibling == l || sibling->isWindow() || !sibling->isVisibleTo(parent))
            continue;
        const QRect shared = text.intersected(sibling->geometry());
        if (shared.width() > 0 && shared.height() > 0)
            return Cut{describe(l) + QStringLiteral(" runs under ") + describe(sibling), l->text(), need,
                       sibling->geometry().left() - text.left()};
    }
    return std::nullopt;
}

std::optional<Cut> buttonCut(const QAbstractButton *b) {
    if (b->text().isEmpty())
        return std::nullopt;
    if (auto *tool = qobject_cast<const QToolButton *>(b);
        tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
        return std::nullopt;
    const QString text = shownText(b->text());
    int need = b->fontMetrics().horizontalAdvance(text);
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox *>(b))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(b))
        contents = QStyle::SE_RadioButtonContents;
    else if (auto *push = qobject_cast<const QPushButton *>(b);
             push && (push->isDefault() || push->autoDefault()))
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (contents == QStyle::SE_PushButtonContents && !b->icon().isNull())
        need += b->iconSize().width() + 4;
    const int room = b->style()->subElementRect(contents, &opt, b).width();
    return Cut{describe(b), b->text(), need, room};
}

std::optional<Cut> groupTitleCut(const QGroupBox *g) {
    if (g->title().isEmpty())
        return std::nullopt;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    opt.textAlignment = g->alignment();
    if (g->isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    // The title keeps the same margin from the frame's right edge as from its left.
    const int need = g->fontMetrics().horizontalAdvance(shownText(g->title()));
    return Cut{describe(g), g->title(), need, g->width() - 2 * label.left()};
}

std::optional<Cut> lampCut(const TLed *led) {
    // The caption starts right of the lamp, which is at most 9 pixels wide.
    const int room = led->width() - std::min(9, led->height() - 4) - 4;
    return Cut{describe(led), led->caption(), led->fontMetrics().horizontalAdvance(led->caption()), room};
}

// The message and link panels draw an icon and then their text, 22 pixels in.
void drawnPanelCuts(const TPSKForm &form, QList<Cut> &cuts) {
    const StatusArea &status = form.status();
    const std::pair<int, QString> drawn[] = {{3, status.StatusMessage}, {4, status.LinkText}};
    for (const auto &[panel, text] : drawn) {
        const int need = status.StatusBar->fontMetrics().horizontalAdvance(text);
        const int room = status.StatusBar->panelRect(panel).width() - 22;
        if (need > room)
            cuts << Cut{QStringLiteral("StatusBar panel ") + QString::number(panel), text, need, room};
    }
}

void statusPanelCuts(const TStatusBar *bar, QList<Cut> &cuts) {
    // Panels 0 to 2 draw their text two pixels into the panel.
    for (int i = 0; i < 3; ++i) {
        const QString text = bar->panelText(i);
        const int need = bar->fontMetrics().horizontalAdvance(text);
        const int room = bar->panelRect(i).width() - 2;
        if (!text.isEmpty() && need > room)
            cuts << Cut{describe(bar) + QStringLiteral(" panel ") + QString::number(i), text, need, room};
    }
}

// Shown when the window is: not hidden, not on another page, not in a child window.
bool reallyVisible(const QWidget *w, const QWidget *window) {
    return w->window() == window && w->isVisibleTo(window) && w->width() > 0;
}

QList<Cut> cutTexts(QWidget *window) {
    QList<Cut> cuts;
    auto add = [&](const std::optional<Cut> &c) {
        if (c && c->need > c->room)
            cuts << *c;
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!reallyVisible(w, window))
            continue;
        if (auto *l = qobject_cast<QLabel *>(w)) {
            const std::optional<Cut> c = labelCut(l);
            add(c);
            if (c && c->need <= c->room)
                add(labelOverlap(l, c->need));
        } else if (auto *led = qobject_cast<TLed *>(w))
            add(lampCut(led));
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            add(buttonCut(b));
        else if (auto *bar = qobject_cast<TStatusBar *>(w))
            statusPanelCuts(bar, cuts);
        if (auto *g = qobject_cast<QGroupBox *>(w))
            add(groupTitleCut(g));
    }
    if (auto *form = qobject_cast<TPSKForm *>(window))
        drawnPanelCuts(*form, cuts);
    return cuts;
}

// Walks the window with every page of every page control shown in turn.
QList<Cut> cutTextsOnEveryPage(QWidget *window) {
    QList<Cut> cuts = cutTexts(window);
    auto addNew = [&] {
        for (const Cut &c : cutTexts(window)) {
            const bool seen = std::any_of(cuts.begin(), cuts.end(), [&](const Cut &o) {
                return o.control == c.control && o.text == c.text;
            });
            if (!seen)
                cuts << c;
        }
    };
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        const int current = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            addNew();
        }
        tabs->setCurrentIndex(current);
    }
    for (QStackedWidget *stack : window->findChildren<QStackedWidget *>()) {
        if (qobject_cast<QTabWidget *>(stack->parentWidget()))
            continue;
        const int current = stack->currentIndex();
        for (int i = 0; i < stack->count(); ++i) {
            stack->setCurrentIndex(i);
            addNew();
        }
        stack->setCurrentIndex(current);
    }
    return cuts;
}

using Opener = std::function<QWidget *()>;

} // namespace

Q_DECLARE_METATYPE(Opener)

class TestTextFit : public QObject {
    Q_OBJECT
    FormFixture m_main;
    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_store;
    ScriptedDialogs m_dialogs;
    FixedClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30))};
    MacroTable m_macros;
    RecordingModem m_modem;
    RunningSettings m_settings;
    QString m_datePattern;
    HelpSystem *m_help = nullptr;
    std::vector<std::unique_ptr<QWidget>> m_windows;

    template <class W, class... Args> QWidget *keep(Args &&...args) {
        m_windows.push_back(std::make_unique<W>(std::forward<Args>(args)...));
        return m_windows.back().get();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // The look the program sets before its first window.
        SetUpApplication();
        m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("VARNEK.conf")));
        m_settings.CardNum = -1;
        m_settings.ComPort = 1;
        m_help = new HelpSystem(this);
        QVERIFY2(m_help->open(), qPrintable(m_help->errorString()));
    }

    void everyTextFitsItsControl_data() {
        QTest::addColumn<Opener>("open");
        QTest::addColumn<QSize>("designSize");
        QTest::newRow("main window") << Opener([this]() -> QWidget * {
            TPSKForm &form = m_main.create();
            // The widest texts the status panels show in a run.
            form.status().setPanelText(0, QStringLiteral("23:59 UTC"));
            form.status().setPanelText(1, QStringLiteral("Noise level -47dB"));
            form.status().setPanelText(2, QStringLiteral("In transmission mode..."));
            // The macro buttons with the wizard's set, as after a first wizard run.
            const auto defaults = wizardMacros(StationInfo{});
            for (size_t i = 0; i < defaults.size(); ++i)
                form.macros().MacroButtons[i]->setText(defaults[i].name);
            return &form;
        }) << QSize(749, 530);
        QTest::newRow("program setup") << Opener([this] {
            return keep<TSetForm>(
                SetupContext{m_modem, *m_store, m_dialogs, m_clock, m_settings, m_datePattern});
        }) << QSize(560, 358);
        QTest::newRow("macro editor")
            << Opener([this] { return keep<TMkProcForm>(m_macros, *m_store, m_dialogs, 0, nullptr); })
            << QSize(467, 260);
        QTest::newRow("macro help card")
            << Opener([this] { return keep<TFiche>(0, nullptr); }) << QSize(440, 342);
        QTest::newRow("macro wizard")
            << Opener([this] { return keep<TWizForm>(nullptr); }) << QSize(570, 327);
        QTest::newRow("ADIF dialog") << Opener([this] { return keep<TADIFForm>(m_dialogs, m_clock); })
                                     << QSize(342, 172);
        QTest::newRow("log viewer") << Opener([this] {
            return keep<TVarnekForm>(m_dir.filePath(QStringLiteral("Varneklog.adi")), m_dialogs);
        }) << QSize(619, 363);
        QTest::newRow("find in the log") << Opener([this] { return keep<TFindDialog>(); }) << QSize();
        QTest::newRow("about") << Opener([this] { return keep<TAboutForm>(); }) << QSize(396, 228);
        QTest::newRow("system information")
            << Opener([this] { return keep<TSysInfoForm>(); }) << QSize(489, 414);
        QTest::newRow("update notice") << Opener([this] { return keep<TUPDForm>(); }) << QSize(543, 348);
        QTest::newRow("help") << Opener([this] { return static_cast<QWidget *>(m_help->window()); })
                              << QSize(820, 560);
        QTest::newRow("splash") << Opener([this] {
            return keep<TSplashForm>(QStringLiteral("ENU"), QStringList{});
        }) << QSize(TSplashForm::ClientWidth, TSplashForm::ClientHeight);
    }

    void everyTextFitsItsControl() {
        QFETCH(Opener, open);
        QFETCH(QSize, designSize);
        QWidget *window = open();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        if (designSize.isValid())
            QCOMPARE(window->size(), designSize);
        QStringList report;
        for (const Cut &c : cutTextsOnEveryPage(window))
            report << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                          .arg(c.control, c.text)
                          .arg(c.need)
                          .arg(c.room);
        window->hide();
        QVERIFY2(report.isEmpty(), qPrintable(window->objectName() + QStringLiteral(" cuts:\n  ") +
                                              report.join(QStringLiteral("\n  "))));
    }
};

QTEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
