#include "macros/MacroBar.h"

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/FormBuild.h"
#include "base/RunningSettings.h"
#include "base/SettingsStore.h"
#include "lang/LanguageChoice.h"
#include "lang/Strings.h"
#include "macros/MacroExpander.h"
#include "macros/TMkProcForm.h"
#include "macros/TWizForm.h"
#include "macros/WizardStore.h"
#include "modem/TransmitControl.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

// What a macro reads and does in the main window.
class MacroBar::Context : public MacroContext {
public:
    explicit Context(MacroBar &bar) : m_bar(bar) {}
    QString hisCall() const override { return field(m_bar.m_host.HisCall); }
    void setHisCall(const QString &call) override { setField(m_bar.m_host.HisCall, call); }
    QString hisName() const override { return field(m_bar.m_host.HisName); }
    QString hisRep() const override { return field(m_bar.m_host.HisRep); }
    void setHisRep(const QString &report) override { setField(m_bar.m_host.HisRep, report); }
    QString myCall() const override { return m_bar.m_settings.MyCall; }
    QString dateFormatPattern() const override {
        return m_bar.m_host.dateFormatPattern ? m_bar.m_host.dateFormatPattern() : QString();
    }
    QString programFolder() const override { return m_bar.programFolder; }
    bool tuning() const override { return m_bar.m_host.transmit && m_bar.m_host.transmit->Tuning; }
    void keyTransmitter() override {
        if (m_bar.m_host.transmit)
            m_bar.m_host.transmit->KeyForMacro();
    }
    void clearReceivePane() override {
        if (m_bar.m_host.RXBuf)
            m_bar.m_host.RXBuf->clear();
    }

private:
    static QString field(const QLineEdit *edit) { return edit ? edit->text() : QString(); }
    static void setField(QLineEdit *edit, const QString &text) {
        if (edit)
            edit->setText(text);
    }
    MacroBar &m_bar;
};

MacroBar::MacroBar(QWidget *parent, SettingsStore &store, Dialogs &dialogs, Clock &clock,
                   RunningSettings &settings)
    : QObject(parent->window()), m_store(store), m_dialogs(dialogs), m_clock(clock), m_settings(settings),
      m_context(std::make_unique<Context>(*this)) {
    setObjectName(QStringLiteral("MacroBar"));
    programFolder = QCoreApplication::applicationDirPath();
    MacroPage = named(new QTabWidget(parent), "MacroPage");
    // The window's design gives the pages a help context but no keyword; the
    // manual's topic on them is named like the other panels'.
    setHelp(MacroPage, "MCR_PNL", 21);
    MacroSheet1 = named(new QWidget, "MacroSheet1");
    MacroSheet2 = named(new QWidget, "MacroSheet2");
    MacroPage->addTab(MacroSheet1, QStringLiteral("Macros 1"));
    MacroPage->addTab(MacroSheet2, QStringLiteral("Macros 2"));
    for (int n = 1; n <= 40; ++n) {
        QWidget *sheet = n <= 20 ? MacroSheet1 : MacroSheet2;
        const int k = (n - 1) % 20;
        auto *b = new QPushButton(sheet);
        b->setObjectName(QStringLiteral("M%1").arg(n));
        b->setGeometry(k < 10 ? 0 : 86, 4 + 20 * (k % 10), 86, 20);
        b->setEnabled(false);
        b->setProperty("tag", n - 1);
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QPushButton::clicked, this, [this, b] { SendMacro(b); });
        MacroButtons[static_cast<size_t>(n - 1)] = b;
    }
    // Every key press of every window of the program passes here first.
    qApp->installEventFilter(this);
}

MacroBar::~MacroBar() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void MacroBar::Attach(const Host &host, QAction *macroDialog, QAction *wizardDialog) {
    m_host = host;
    if (macroDialog)
        connect(macroDialog, &QAction::triggered, this, &MacroBar::MacroBtnClick);
    if (wizardDialog)
        connect(wizardDialog, &QAction::triggered, this, &MacroBar::WizBtnClick);
}

bool MacroBar::LoadMacros() {
    const bool readable = m_table.load(m_store);
    for (int i = 0; i < m_table.MacroCount; ++i) {
        QPushButton *b = MacroButtons[static_cast<size_t>(i)];
        b->setText(m_table.MacroNames[i]);
        b->setCursor(Qt::PointingHandCursor);
        b->setToolTip(m_table.MacroHints[i]);
    }
    return readable;
}

void MacroBar::ActiveButtons(bool enable, bool haveTracks) {
    MacroSheet1->setEnabled(enable);
    MacroSheet2->setEnabled(enable);
    if (!enable)
        return;
    for (QPushButton *b : MacroButtons) {
        if (!b->text().isEmpty()) {
            b->setCursor(Qt::PointingHandCursor);
            b->setEnabled(haveTracks);
            b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 5px;"));
        } else {
            b->unsetCursor();
            b->setEnabled(false);
        }
    }
}

void MacroBar::DisableAll() {
    MacroSheet1->setEnabled(false);
    MacroSheet2->setEnabled(false);
    for (QPushButton *b : MacroButtons)
        b->setEnabled(false);
}

void MacroBar::SendMacro(QPushButton *sender) {
    LaunchMacro(sender->property("tag").toInt());
}

void MacroBar::LaunchMacro(int index) {
    if (index < 0 || index >= MacroTable::Capacity)
        return;
    // A copy: a macro launched while this one is typed, or the editor, may
    // change the table meanwhile.
    const QString text = m_table.MacroTexts[static_cast<size_t>(index)];
    if (text.isEmpty())
        return;
    MacroExpander expander(*m_context, m_dialogs, m_clock);
    const QString typed = expander.expand(text);
    if (typed.isEmpty() || !m_host.transmit)
        return;
    for (QChar ch : typed)
        m_host.transmit->TypeIntoTXBuf(ch.unicode() <= 0xFF ? ch.unicode() : '?');
}

void MacroBar::showMacro(int index) {
    QPushButton *b = MacroButtons[static_cast<size_t>(index)];
    b->setText(m_table.MacroNames[static_cast<size_t>(index)]);
    b->setToolTip(m_table.MacroHints[static_cast<size_t>(index)]);
}

void MacroBar::MacroBtnClick() {
    {
        TMkProcForm editor(m_table, m_store, m_dialogs, UILanguage(), MacroPage->window());
        if (runEditor)
            runEditor(editor);
        else
            editor.exec();
    }
    const bool active = m_host.soundCardActive && m_host.soundCardActive();
    const bool haveTracks = m_host.trackCount && m_host.trackCount() > 0;
    for (int i = 0; i < MacroTable::Capacity; ++i) {
        showMacro(i);
        QPushButton *b = MacroButtons[static_cast<size_t>(i)];
        if (b->text().isEmpty()) {
            b->unsetCursor();
            b->setEnabled(false);
        } else if (active) {
            b->setCursor(Qt::PointingHandCursor);
            b->setEnabled(haveTracks);
        }
    }
}

void MacroBar::WizBtnClick() {
    TWizForm wizard(MacroPage->window());
    StationInfoText stored;
    if (!readStationInfo(m_store, stored))
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorReadingRegistry));
    wizard.fill(m_settings.MyCall, stored);
    const int result = runWizard ? runWizard(wizard) : wizard.exec();
    if (result != QDialog::Accepted)
        return;
    const StationInfo info = wizard.stationInfo();
    bool written = true;
    try {
        applyWizard(m_table, m_store, info);
    } catch (const StoreError &) {
        written = false;
    }
    const bool usable =
        m_host.soundCardActive && m_host.soundCardActive() && m_host.trackCount && m_host.trackCount() > 0;
    for (int i = 0; i < WizardMacroCount; ++i) {
        showMacro(i);
        QPushButton *b = MacroButtons[static_cast<size_t>(i)];
        b->setCursor(Qt::PointingHandCursor);
        b->setEnabled(usable);
    }
    m_settings.MyCall = info.call;
    if (!written)
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorWritingRegistry));
}

bool MacroBar::eventFilter(QObject *watched, QEvent *e) {
    // Every key press reaches the window it is typed in first as a shortcut
    // override, once, held-down repeats included, and also when a shortcut
    // then takes the key; the key press itself may not come. The event goes
    // on to the focused control as usual.
    if (e->type() == QEvent::ShortcutOverride && watched->isWindowType()) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key >= Qt::Key_F1 && key <= Qt::Key_F20)
            LaunchMacro(key - Qt::Key_F1);
    }
    return false;
}
