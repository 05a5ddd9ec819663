#include "modem/TransmitControl.h"

#include "base/AppImages.h"
#include "base/Dialogs.h"
#include "base/FormBuild.h"
#include "base/RunningSettings.h"
#include "base/Utilities.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "modem/ReceiveTuning.h"
#include "modem/TextFileReader.h"
#include "status/StatusArea.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {

// What a character does to the pane when it is delivered as if typed: the
// editing keys edit, control characters leave no mark.
void typeInto(QPlainTextEdit *pane, int c) {
    QTextCursor caret = pane->textCursor();
    if (c == 8)
        caret.deletePreviousChar();
    else if (c == 13)
        caret.insertBlock();
    else if (c == 9 || c >= 32)
        caret.insertText(QString(QChar(c)));
    else
        return;
    pane->setTextCursor(caret);
    pane->ensureCursorVisible();
}

} // namespace

TransmitControl::TransmitControl(QWidget *parent, QWidget *window, const Actions &actions, Modem &modem,
                                 Dialogs &dialogs, const RunningSettings &settings, StatusArea &status,
                                 ReceiveTuning &tuning, std::function<bool()> soundCardActive)
    : QObject(parent->window()), m_actions(actions), m_modem(modem), m_dialogs(dialogs), m_settings(settings),
      m_status(status), m_tuning(tuning), m_soundCardActive(std::move(soundCardActive)) {
    TXBuf = named(new QPlainTextEdit(parent), "TXBuf");
    TXBuf->setToolTip(QStringLiteral("This is the TX Window"));
    TXBuf->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHelp(TXBuf, "TX_WND", 19);

    connect(m_actions.Transmit, &QAction::triggered, this, &TransmitControl::TransmitBtnClick);
    connect(m_actions.Tune, &QAction::triggered, this, &TransmitControl::TuneBtnClick);
    connect(m_actions.CWIdentification, &QAction::triggered, this, &TransmitControl::CWIDBtnClick);
    connect(m_actions.SendText, &QAction::triggered, this, &TransmitControl::SndTxtBtnClick);
    connect(m_actions.RewindSound, &QAction::triggered, this, &TransmitControl::RewindBtnClick);
    OpenDialog = [window](const QString &title, const QString &filter) {
        QFileDialog dialog(window, title, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };

    // Tab moves on to the next control, as in every form of the program; a
    // tab that reaches the pane otherwise (a file) asks for the CW ID.
    TXBuf->setTabChangesFocus(true);
    TXBuf->installEventFilter(this);
    TXPopup = new QMenu(window);
    TXPopup->setObjectName(QStringLiteral("TXPopup"));
    struct Item {
        const char *name, *caption;
        QKeyCombination key;
        int icon;
        void (TransmitControl::*handler)();
    };
    const Item items[] = {
        {"ClearMenu", "Clear", QKeyCombination(Qt::ControlModifier, Qt::Key_X), AppImages::Clear,
         &TransmitControl::ClearMenuClick},
        {"CopyMenu", "Copy", QKeyCombination(Qt::ControlModifier, Qt::Key_C), AppImages::Copy,
         &TransmitControl::CopyMenuClick},
        {"PasteMenu", "Paste", QKeyCombination(Qt::ControlModifier, Qt::Key_V), AppImages::Paste,
         &TransmitControl::PasteMenuClick},
    };
    for (const Item &item : items) {
        QAction *a = TXPopup->addAction(AppImages::icon(item.icon), QString::fromLatin1(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        // Shown in the menu; the pane itself takes these keys while it has
        // the focus.
        a->setShortcut(QKeySequence(item.key));
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, item.handler);
    }
    TXBuf->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TXBuf, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { TXPopup->popup(TXBuf->viewport()->mapToGlobal(pos)); });
}

bool TransmitControl::eventFilter(QObject *watched, QEvent *e) {
    if (watched != TXBuf)
        return false;
    if (e->type() == QEvent::InputMethod) {
        // Text an input method composed (dead keys, compose sequences) is
        // typed text as well.
        for (const QChar ch : static_cast<QInputMethodEvent *>(e)->commitString()) {
            int c = ch.unicode() <= 0xFF ? ch.unicode() : '?';
            TXBufKeyPress(c, true);
        }
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return false;
    auto *ke = static_cast<QKeyEvent *>(e);
    const QKeyCombination combo = ke->keyCombination();
    if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_X)) {
        ClearMenuClick();
        return true;
    }
    if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_C)) {
        CopyMenuClick();
        return true;
    }
    if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_V)) {
        PasteMenuClick();
        return true;
    }
    // Editing commands and keys that make no character are the pane's.
    if (ke->matches(QKeySequence::SelectAll) || ke->matches(QKeySequence::Undo) ||
        ke->matches(QKeySequence::Redo))
        return false;
    QString text = ke->text();
    switch (ke->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    case Qt::Key_Backspace:
        text = QStringLiteral("\b");
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        text = QStringLiteral("\r");
        break;
    default:
        break;
    }
    for (const QChar ch : text) {
        int c = ch.unicode() <= 0xFF ? ch.unicode() : '?';
        TXBufKeyPress(c, true);
    }
    return false; // then the key takes its ordinary effect in the pane
}

void TransmitControl::TXBufKeyPress(int &key, bool fromKeyboard) {
    // Long file and macro sends keep the window alive this way. Keys typed
    // meanwhile wait their turn, so a fast typist's keys are not reordered.
    QCoreApplication::processEvents(fromKeyboard ? QEventLoop::ExcludeUserInputEvents
                                                 : QEventLoop::AllEvents);
    if (m_soundCardActive()) {
        if (key == 3)
            m_modem.fnSendTXCharacter(1, 1); // back to receive once the queue is sent
        else if (key == 9)
            m_modem.fnSendTXCharacter(2, 1); // the CW identification at this point
        else
            m_modem.fnSendTXCharacter(key, 0);
        return;
    }
    m_dialogs.beep();
    m_status.PostStatusMessage(LcfLoadString(Str::SoundcardNotActiveError), 23);
    TXBuf->clear();
}

void TransmitControl::TypeIntoTXBuf(int c) {
    int key = c;
    TXBufKeyPress(key);
    typeInto(TXBuf, key);
}

bool TransmitControl::ReportSoundCardStopped() {
    if (m_soundCardActive())
        return false;
    m_dialogs.beep();
    m_status.PostStatusMessage(LcfLoadString(Str::SoundcardNotActiveError), 23);
    return true;
}

// The buttons' pictures and hints change when the library reports the start
// (status 1) or the end (status 0) of a transmission, so they never claim a
// state the transmitter is not in.
void TransmitControl::TransmitBtnClick() {
    if (ReportSoundCardStopped())
        return;
    if (Transmitting) {
        // With nothing left to send the library ends normally; otherwise the
        // rest is dropped at once.
        if (m_modem.fnGetTXCharsRemaining() == 0) {
            m_modem.fnStopTX();
        } else {
            m_modem.fnAbortTX();
            m_modem.fnClearTXBuffer();
        }
        return;
    }
    m_tuning.ApplyNet();
    m_modem.fnSetTXFrequency(m_tuning.TXSpin->value());
    m_modem.fnStartTX(m_settings.RXMode);
    TXBuf->setFocus();
}

void TransmitControl::KeyForMacro() {
    if (Tuning)
        return;
    m_tuning.ApplyNet();
    m_modem.fnSetTXFrequency(m_tuning.TXSpin->value());
    setActionIcon(m_actions.Transmit, AppImages::Stop);
    m_actions.Transmit->setToolTip(LcfLoadString(Str::StopTransmissionHint));
    m_actions.Tune->setEnabled(false);
    m_modem.fnStartTX(m_settings.RXMode);
}

void TransmitControl::TuneBtnClick() {
    if (ReportSoundCardStopped())
        return;
    if (Tuning) {
        Tuning = false;
        m_modem.fnStopTX();
        return;
    }
    Tuning = true;
    m_actions.Transmit->setEnabled(false);
    m_tuning.ApplyNet();
    m_modem.fnSetTXFrequency(m_tuning.TXSpin->value());
    m_modem.fnStartTX(3); // the steady tune carrier
}

void TransmitControl::CWIDBtnClick() {
    // During a transmission this ends it after what is queued, with the
    // identification last; otherwise it is a short transmission of its own.
    if (ReportSoundCardStopped())
        return;
    m_tuning.ApplyNet();
    m_modem.fnSetTXFrequency(m_tuning.TXSpin->value());
    m_modem.fnStartTX(m_settings.RXMode);
    m_modem.fnSendTXCharacter(2, 1);
    m_modem.fnStopTX();
}

void TransmitControl::SndTxtBtnClick() {
    // The send serves messages between characters, so the button can be
    // clicked again meanwhile; one file at a time keeps the text in order.
    if (SendingTextFile || !OpenDialog)
        return;
    const QString path =
        OpenDialog(LcfLoadString(Str::SendTextFileTitle), LcfLoadString(Str::TextFilesFilter));
    if (path.isEmpty())
        return;
    TextFileReader reader(path);
    if (!reader.open()) {
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError),
                          LcfLoadString(Str::TextFileUnreadable) + path + QStringLiteral("\n") +
                              reader.errorString());
        return;
    }
    SendingTextFile = true;
    for (int c = reader.next(); c >= 0; c = reader.next())
        TypeIntoTXBuf(c);
    SendingTextFile = false;
    if (reader.failed())
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError),
                          LcfLoadString(Str::TextFileUnreadable) + path + QStringLiteral("\n") +
                              reader.errorString());
}

void TransmitControl::RewindBtnClick() {
    m_modem.fnRewindInput(m_settings.Blocks);
}

void TransmitControl::ClearMenuClick() {
    TXBuf->clear();
    m_modem.fnAbortTX();
    m_modem.fnClearTXBuffer();
}

void TransmitControl::CopyMenuClick() {
    TXBuf->copy();
}

void TransmitControl::PasteMenuClick() {
    // Pasted text shows in the pane; only typed characters are sent.
    TXBuf->paste();
}

QString TransmitControl::RewindHint() const {
    const double seconds = m_settings.Blocks * 0.256;
    return LcfLoadString(Str::ReplayHintPrefix) + QLocale::system().toString(seconds, 'g', 15) +
           LcfLoadString(Str::ReplayHintSuffix);
}

void TransmitControl::TransmissionStarted() {
    Transmitting = true;
    m_tuneOnAir = Tuning;
    if (Tuning) {
        m_actions.Transmit->setEnabled(false);
        setActionIcon(m_actions.Tune, AppImages::Stop);
        m_actions.Tune->setToolTip(LcfLoadString(Str::StopTuningHint));
        return;
    }
    m_actions.Tune->setEnabled(false);
    m_actions.CWIdentification->setEnabled(true);
    setActionIcon(m_actions.Transmit, AppImages::Stop);
    m_actions.Transmit->setToolTip(LcfLoadString(Str::StopTransmissionHint));
}

bool TransmitControl::TransmissionEnded(bool haveTracks) {
    ShowReceiving();
    m_actions.Tune->setEnabled(haveTracks);
    const bool emptied = Transmitting && m_modem.fnGetTXCharsRemaining() == 0;
    if (emptied)
        TXBuf->clear();
    Transmitting = false;
    return emptied;
}

void TransmitControl::ShowReceiving() {
    setActionIcon(m_actions.Transmit, AppImages::Transmit);
    m_actions.Transmit->setToolTip(LcfLoadString(Str::ToggleToTransmitHint));
    m_actions.CWIdentification->setEnabled(false);
    if (m_tuneOnAir) {
        // The carrier is off, however it ended.
        m_tuneOnAir = false;
        Tuning = false;
        setActionIcon(m_actions.Tune, AppImages::Tune);
        m_actions.Tune->setToolTip(LcfLoadString(Str::SendTuneHint));
        m_actions.Transmit->setEnabled(true);
    }
}

void TransmitControl::EndForDisconnect() {
    // A tune asked for and not yet on the air gives its buttons back too.
    m_tuneOnAir = m_tuneOnAir || Tuning;
    if (Tuning) {
        Tuning = false;
        m_modem.fnStopTX();
        Delay(250);
    }
    if (Transmitting) {
        Transmitting = false;
        if (m_modem.fnGetTXCharsRemaining() != 0)
            m_modem.fnClearTXBuffer();
        m_modem.fnAbortTX();
        Delay(250);
    }
    // No status message follows once the sound card is stopped.
    ShowReceiving();
}
