// Starting and stopping the sound card, and the handlers of the modem
// library's five messages.

#include "app/TPSKForm.h"

#include "app/AppImages.h"
#include "app/Clock.h"
#include "app/Dialogs.h"
#include "app/StatusBar.h"
#include "app/Utilities.h"
#include "app/Widgets.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "modem/ModemEvent.h"
#include "modem/ModemStatusText.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {
// The date and time stamped under the transmission start and stop lines.
const QString StampPattern = QStringLiteral("dddd d mmmm yyyy, hh\"h\"mm ss\"s\"");
} // namespace

bool TPSKForm::event(QEvent *e) {
    if (ModemEvent::isModemEvent(e)) {
        auto *m = static_cast<ModemEvent *>(e);
        switch (m->message()) {
        case ModemEvent::DataReady:
            DataReadyMessage();
            break;
        case ModemEvent::Character:
            CharacterMessage(m->wParam(), m->lParam());
            break;
        case ModemEvent::Status:
            StatusMessageHandler(m->wParam());
            break;
        case ModemEvent::Level:
            LevelMessage(m->wParam(), m->lParam());
            break;
        case ModemEvent::ClockError:
            ClockErrorMessage(m->wParam());
            break;
        }
        return true;
    }
    return QMainWindow::event(e);
}

void TPSKForm::ConnectBtnClick() {
    // The stop sequence waits with the event loop running; a second click in
    // the meantime must not start another sequence inside it.
    if (m_connectBusy || m_closing)
        return;
    m_connectBusy = true;
    Connection->setEnabled(false);
    SoundCardActive = !SoundCardActive;
    if (SoundCardActive)
        StartSoundCard();
    else
        StopSoundCard();
    Connection->setEnabled(true);
    m_connectBusy = false;
    if (m_closeRequested) {
        m_closeRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TPSKForm::SetConnectIdle() {
    setActionIcon(Connection, 1);
    Connection->setToolTip(LcfLoadString(Str::ConnectHint));
    StatusBar->setPanelText(2, LcfLoadString(Str::ProgramIdle));
}

void TPSKForm::StartSoundCard() {
    WaterfallDisplay->setCursor(AppImages::cursor(settings.WCursor));
    const int32_t r = m_modem.fnStartSoundCard(this, settings.CardNum, TrackSlots, 0);
    if (r != 0) {
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), ModemStatusText(r));
        SoundCardActive = false;
        WaterfallDisplay->setCursor(Qt::ArrowCursor);
        LedOne->setLit(false);
        LedOne->setToolTip(LcfLoadString(Str::SoundcardInactive));
        SetConnectIdle();
        StatusBar->repaint();
        return;
    }
    m_modem.fnSetFFTMode(settings.FFTAdjust, SpectrumScale, 1);
    m_modem.fnSetRXFrequency(RXSpin->value(), 10, 0);
    m_modem.fnSetRXPSKMode(settings.RXMode, 0);
    m_modem.fnSetAFCLimit(AFCSpin->value(), 0);
    m_modem.fnSetClockErrorAdjustment(settings.PPMAdjust);
    m_modem.fnSetSquelchThreshold(SQTrack->value(), SQSSPin->value(), 0);
    m_modem.fnSetCWIDSpeed(settings.CWIDSpeed + 1);
    const QByteArray cwid = settings.CWID.toLatin1();
    m_modem.fnSetCWIDString(cwid.constData());

    setActionIcon(Connection, 2);
    Connection->setToolTip(LcfLoadString(Str::DisconnectHint));
    LedOne->setLit(true);
    LedOne->setToolTip(LcfLoadString(Str::SoundcardActive));
    RXLed->setLit(false);
    RXLed->setToolTip(LcfLoadString(Str::NoReception));
    TXLed->setLit(false);
    TXLed->setToolTip(LcfLoadString(Str::NoTransmission));
    // A fresh, black waterfall history at the strip's present size.
    ResetWaterfallHistory();
}

void TPSKForm::StopSoundCard() {
    WaterfallDisplay->setCursor(Qt::ArrowCursor);
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
    SetConnectIdle();
    LedOne->setLit(false);
    LedOne->setToolTip(LcfLoadString(Str::SoundcardInactive));
    RXLed->setLit(false);
    RXLed->setToolTip(LcfLoadString(Str::NoReception));
    TXLed->setLit(false);
    TXLed->setToolTip(LcfLoadString(Str::NoTransmission));
    m_modem.fnStopSoundCard();
    SpectrumDisplayPaint();
    WaterfallDisplayPaint();
    SyncroDisplayPaint();
    VectorDisplayPaint();
    SignalDisplayPaint();
    TrackTeardown();
    StatusBar->repaint();
}

void TPSKForm::TrackTeardown() {
    MacroSheet1->setEnabled(false);
    MacroSheet2->setEnabled(false);
    for (QPushButton *b : MacroButtons)
        b->setEnabled(false);
    ActiveTrack = 0;
    for (int i = 0; i < TrackSlots; ++i) {
        if (QLineEdit *edit = TrackTable[static_cast<size_t>(i)]) {
            TrackTable[static_cast<size_t>(i)] = nullptr;
            delete edit;
            m_modem.fnEnableRXChannel(i, 0);
        }
    }
    TrackCount = 0;
    PendingTrackDelete = -1;
}

void TPSKForm::ActiveButtons(bool enable) {
    for (QAction *a : {Transmit, Tune, RewindSound, SendText, ClearTracks})
        a->setEnabled(enable);
    MacroSheet1->setEnabled(enable);
    MacroSheet2->setEnabled(enable);
    if (!enable)
        return;
    for (QPushButton *b : MacroButtons) {
        if (!b->text().isEmpty()) {
            b->setCursor(Qt::PointingHandCursor);
            b->setEnabled(TrackCount > 0);
            b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 5px;"));
        } else {
            b->unsetCursor();
            b->setEnabled(false);
        }
    }
}

void TPSKForm::DataReadyMessage() {
    if (!SoundCardActive)
        return;
    if (Monitor->currentIndex() == 1) {
        m_modem.fnGetRawData(RawData.data(), 0, 1023);
        SignalDisplayPaint();
    }
    InputOverload = (m_modem.fnGetFFTData(FFTData.data(), FFTLowBin, FFTHighBin) & 0xFF) != 0;
    if (InputOverload) {
        m_dialogs.beep();
        PostStatusMessage(LcfLoadString(Str::SignalOverload), 23);
    } else if (!Transmitting) {
        StatusBar->setPanelText(2, LcfLoadString(Str::ReceivingNow));
        TXLed->setLit(false);
        TXLed->setToolTip(LcfLoadString(Str::NoTransmission));
        RXLed->setLit(true);
        RXLed->setToolTip(LcfLoadString(Str::ReceivingNow));
    }
    SpectrumDisplayPaint();
    WaterfallDisplayPaint();
    SIGTrack->setPosition(m_modem.fnGetSignalLevel(ActiveTrack));
    RXSpin->setValue(m_modem.fnGetRXFrequency(ActiveTrack));
    m_modem.fnGetSyncData(SyncData.data(), ActiveTrack);
    SyncroDisplayPaint();
    m_modem.fnGetVectorData(VectorData.data(), ActiveTrack);
    VectorDisplayPaint();
}

void TPSKForm::DeliverCharacter(QPlainTextEdit *edit, int c) {
    QTextCursor cursor = edit->textCursor();
    if (c == 8)
        cursor.deletePreviousChar();
    else if (c == 13)
        cursor.insertBlock();
    else
        cursor.insertText(QString(QChar(c)));
    edit->setTextCursor(cursor);
}

void TPSKForm::DeliverCharacter(QLineEdit *edit, int c) {
    if (c == 8)
        edit->backspace();
    else
        edit->insert(QString(QChar(c)));
}

void TPSKForm::CharacterMessage(int32_t wParam, int32_t lParam) {
    if (!SoundCardActive || TrackCount <= 0)
        return;
    const int c = static_cast<int>(static_cast<uint32_t>(wParam) & 0xFFFFu);
    if (!(c == 8 || c == 13 || (c >= 32 && c <= 255)))
        return;
    // The library decodes 8-bit characters in the Latin-1 range.
    const int n = lParam == -1 ? ActiveTrack : lParam;
    if (n < 0 || n >= TrackSlots)
        return;
    if (n == ActiveTrack) {
        RXBuf->moveCursor(QTextCursor::End);
        DeliverCharacter(RXBuf, c);
        RXBuf->ensureCursorVisible();
    }
    if (QLineEdit *edit = TrackTable[static_cast<size_t>(n)])
        DeliverCharacter(edit, c == 13 ? 32 : c);
}

void TPSKForm::StatusMessageHandler(int32_t code) {
    if (!SoundCardActive)
        return;
    switch (code) {
    case 0: {
        StatusBar->setPanelText(2, ModemStatusText(0));
        Tune->setEnabled(TrackCount > 0);
        setActionIcon(Transmit, 3);
        Transmit->setToolTip(LcfLoadString(Str::ToggleToTransmitHint));
        CWIdentification->setEnabled(false);
        if (Transmitting && m_modem.fnGetTXCharsRemaining() == 0) {
            TXBuf->clear();
            RXBuf->appendPlainText(LcfLoadString(Str::TransmissionStopped) + QLatin1Char('\n') +
                                   FormatDateTime(StampPattern, m_clock.localNow()));
        }
        Transmitting = false;
        Canal->setEnabled(TrackCount > 0);
        break;
    }
    case 1:
        StatusBar->setPanelText(2, ModemStatusText(1));
        RXBuf->appendPlainText(LcfLoadString(Str::TransmissionStarted) + QLatin1Char('\n') +
                               FormatDateTime(StampPattern, m_clock.localNow()));
        Transmitting = true;
        TXLed->setLit(true);
        TXLed->setToolTip(LcfLoadString(Str::Transmitting));
        RXLed->setLit(false);
        RXLed->setToolTip(LcfLoadString(Str::NoReception));
        Canal->setEnabled(false);
        break;
    case 2:
    case 3:
        PostStatusMessage(ModemStatusText(code), 23);
        break;
    default:
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), ModemStatusText(code));
        break;
    }
}

void TPSKForm::LevelMessage(int32_t wParam, int32_t lParam) {
    if (!SoundCardActive)
        return;
    const QString db = QString::number(wParam) + LcfLoadString(Str::DecibelSuffix);
    if (lParam == -1)
        StatusBar->setPanelText(1, LcfLoadString(Str::NoiseLevelPrefix) + db);
    else
        IMDd->setText(LcfLoadString(Str::ImdPrefix) + db);
}

void TPSKForm::ClockErrorMessage(int32_t wParam) {
    if (!SoundCardActive)
        return;
    PPMd->setText(QString::number(wParam) + LcfLoadString(Str::PpmSuffix));
}
