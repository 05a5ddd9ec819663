// Transmit control: the transmit pane's key handler, through which every
// character for the library passes, and the Transmit, Tune, CW ID, send-file
// and rewind buttons with the pane's menu.

#include "app/AppImages.h"
#include "app/Dialogs.h"
#include "app/TPSKForm.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "tracks/TextFileReader.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
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

void TPSKForm::TXBufKeyPress(int &key, bool fromKeyboard) {
    // Long file and macro sends keep the window alive this way. Keys typed
    // meanwhile wait their turn, so a fast typist's keys are not reordered.
    QCoreApplication::processEvents(fromKeyboard ? QEventLoop::ExcludeUserInputEvents
                                                 : QEventLoop::AllEvents);
    if (SoundCardActive) {
        if (key == 3)
            m_modem.fnSendTXCharacter(1, 1); // back to receive once the queue is sent
        else if (key == 9)
            m_modem.fnSendTXCharacter(2, 1); // the CW identification at this point
        else
            m_modem.fnSendTXCharacter(key, 0);
        return;
    }
    m_dialogs.beep();
    PostStatusMessage(LcfLoadString(Str::SoundcardNotActiveError), 23);
    TXBuf->clear();
}

void TPSKForm::TypeIntoTXBuf(int c) {
    int key = c;
    TXBufKeyPress(key);
    typeInto(TXBuf, key);
}

void TPSKForm::ApplyNet() {
    if (NETCheck->isChecked())
        TXSpin->setValue(RXSpin->value());
}

void TPSKForm::TransmitBtnClick() {
    if (Transmitting) {
        // With nothing left to send the library ends normally; otherwise the
        // rest is dropped at once.
        if (m_modem.fnGetTXCharsRemaining() == 0) {
            m_modem.fnStopTX();
        } else {
            m_modem.fnAbortTX();
            m_modem.fnClearTXBuffer();
        }
        Tune->setEnabled(true);
        CWIdentification->setEnabled(false);
        setActionIcon(Transmit, AppImages::Transmit);
        Transmit->setToolTip(LcfLoadString(Str::TransmitHint));
        return;
    }
    ApplyNet();
    m_modem.fnSetTXFrequency(TXSpin->value());
    m_modem.fnStartTX(settings.RXMode);
    Tune->setEnabled(false);
    CWIdentification->setEnabled(true);
    Transmit->setToolTip(LcfLoadString(Str::StopTransmissionHint));
    setActionIcon(Transmit, AppImages::Stop);
    TXBuf->setFocus();
}

void TPSKForm::TuneBtnClick() {
    if (Tuning) {
        Tuning = false;
        m_modem.fnStopTX();
        setActionIcon(Tune, AppImages::Tune);
        Tune->setToolTip(LcfLoadString(Str::SendTuneHint));
        Transmit->setEnabled(true);
        return;
    }
    Tuning = true;
    Transmit->setEnabled(false);
    ApplyNet();
    m_modem.fnSetTXFrequency(TXSpin->value());
    m_modem.fnStartTX(3); // the steady tune carrier
    setActionIcon(Tune, AppImages::Stop);
    Tune->setToolTip(LcfLoadString(Str::StopTuningHint));
}

void TPSKForm::CWIDBtnClick() {
    // During a transmission this ends it after what is queued, with the
    // identification last; otherwise it is a short transmission of its own.
    ApplyNet();
    m_modem.fnSetTXFrequency(TXSpin->value());
    m_modem.fnStartTX(settings.RXMode);
    m_modem.fnSendTXCharacter(2, 1);
    m_modem.fnStopTX();
}

void TPSKForm::SndTxtBtnClick() {
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

void TPSKForm::RewindBtnClick() {
    m_modem.fnRewindInput(settings.Blocks);
}

void TPSKForm::ClearMenuClick() {
    TXBuf->clear();
    m_modem.fnAbortTX();
    m_modem.fnClearTXBuffer();
}

void TPSKForm::CopyMenuClick() {
    TXBuf->copy();
}

void TPSKForm::PasteMenuClick() {
    // Pasted text shows in the pane; only typed characters are sent.
    TXBuf->paste();
}
