#pragma once
// The macro side of the main window: the two pages of buttons M1..M40, the
// table they show, launching a macro by its button or by F1..F20 from any
// window of the program, and the macro editor and wizard behind the tool bar's
// two macro buttons.
//
// A launch expands the macro (MacroExpander: questions, keying, clearing the
// receive pane) and then types what it gives into the transmit pane one
// character at a time, as if the operator typed it.

#include "macros/MacroTable.h"

#include <QObject>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class Clock;
class Dialogs;
class SettingsStore;
class TransmitControl;
struct RunningSettings;

class MacroBar : public QObject {
    Q_OBJECT
public:
    // The program around the macros, known once the other parts exist.
    struct Host {
        QLineEdit *HisCall = nullptr, *HisName = nullptr, *HisRep = nullptr;
        QPlainTextEdit *RXBuf = nullptr;
        TransmitControl *transmit = nullptr;
        std::function<bool()> soundCardActive;
        std::function<int()> trackCount;
        std::function<QString()> dateFormatPattern;
    };

    MacroBar(QWidget *parent, SettingsStore &store, Dialogs &dialogs, Clock &clock,
             RunningSettings &settings);
    ~MacroBar() override;
    // Connects the tool bar's macro actions and the parts a macro uses.
    void Attach(const Host &host, QAction *macroDialog, QAction *wizardDialog);

    QTabWidget *MacroPage = nullptr;
    QWidget *MacroSheet1 = nullptr, *MacroSheet2 = nullptr;
    std::array<QPushButton *, 40> MacroButtons{}; // M1..M40

    MacroTable &table() { return m_table; }
    // Where \f finds its files: the program's folder.
    QString programFolder;

    // Reads the table from the store and gives the buttons their macros.
    // False when the store could not be read (the caller says so).
    bool LoadMacros();
    // The pages follow the buttons that need a track; a button with a
    // caption works while a track is open.
    void ActiveButtons(bool enable, bool haveTracks);
    // Every track closed: nothing can be sent.
    void DisableAll();

    void SendMacro(QPushButton *sender);
    void LaunchMacro(int index);
    void MacroBtnClick();
    void WizBtnClick();

    // Run instead of showing the dialogs modally when set (tests drive the
    // dialogs themselves and return the result).
    std::function<int(class TMkProcForm &)> runEditor;
    std::function<int(class TWizForm &)> runWizard;

protected:
    // F1..F20 from any window of the program launch macros 0..19.
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    class Context;
    void showMacro(int index);

    SettingsStore &m_store;
    Dialogs &m_dialogs;
    Clock &m_clock;
    RunningSettings &m_settings;
    MacroTable m_table;
    Host m_host;
    std::unique_ptr<Context> m_context;
};
