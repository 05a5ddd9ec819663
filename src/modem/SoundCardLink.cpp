// Starting and stopping the sound card, and the handlers of the modem
// library's five messages.

#include "modem/SoundCardLink.h"

#include "base/AppImages.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/FormBuild.h"
#include "base/RunningSettings.h"
#include "base/StatusBar.h"
#include "base/Utilities.h"
#include "base/Widgets.h"
#include "displays/DisplayPanel.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "modem/ModemEvent.h"
#include "modem/ModemStatusText.h"
#include "modem/ReceiveTuning.h"
#include "modem/TrackChannels.h"
#include "modem/TransmitControl.h"
#include "status/StatusArea.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>

namespace {
// The date and time stamped under the transmission start and stop lines.
const QString StampPattern = QStringLiteral("dddd d mmmm yyyy, hh\"h\"mm ss\"s\"");

// A transmission stamp takes whole lines of its own: it starts on a fresh line
// and ends its own, so the characters that follow (the echo of what is sent,
// then the reception) never run on after the date.
void AppendStamp(QPlainTextEdit *pane, const QString &text, const QString &when) {
    QTextCursor end(pane->document());
    end.movePosition(QTextCursor::End);
    const QString before =
        pane->document()->isEmpty() || end.atBlockStart() ? QString() : QStringLiteral("\n");
    end.insertText(before + text + QLatin1Char('\n') + when + QLatin1Char('\n'));
    pane->moveCursor(QTextCursor::End);
    pane->ensureCursorVisible();
}
} // namespace

SoundCardLink::SoundCardLink(QObject *window, QAction *connection, Modem &modem, Dialogs &dialogs,
                             Clock &clock, const RunningSettings &settings, const Parts &parts)
    : QObject(window), m_window(window), m_connection(connection), m_modem(modem), m_dialogs(dialogs),
      m_clock(clock), m_settings(settings), m_parts(parts) {
    connect(m_connection, &QAction::triggered, this, &SoundCardLink::ConnectBtnClick);
}

bool SoundCardLink::Dispatch(QEvent *e) {
    if (!ModemEvent::isModemEvent(e))
        return false;
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

void SoundCardLink::ConnectBtnClick() {
    // The stop sequence waits with the event loop running; a second click in
    // the meantime must not start another sequence inside it.
    if (m_connectBusy || m_closing)
        return;
    m_connectBusy = true;
    m_connection->setEnabled(false);
    SoundCardActive = !SoundCardActive;
    if (SoundCardActive)
        StartSoundCard();
    else
        StopSoundCard();
    m_connection->setEnabled(true);
    m_connectBusy = false;
    emit sequenceFinished();
}

void SoundCardLink::Shutdown() {
    if (SoundCardActive) {
        SoundCardActive = false;
        m_modem.fnStopSoundCard();
    }
}

void SoundCardLink::SetConnectIdle() {
    setActionIcon(m_connection, 1);
    m_connection->setToolTip(LcfLoadString(Str::ConnectHint));
    m_parts.status.setPanelText(2, LcfLoadString(Str::ProgramIdle));
}

void SoundCardLink::StartSoundCard() {
    DisplayPanel &displays = m_parts.displays;
    ReceiveTuning &tuning = m_parts.tuning;
    StatusArea &status = m_parts.status;
    displays.WaterfallDisplay->setCursor(AppImages::cursor(m_settings.WCursor));
    const int32_t r = m_modem.fnStartSoundCard(m_window, m_settings.CardNum, TrackChannels::TrackSlots, 0);
    if (r != 0) {
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), ModemStatusText(r));
        SoundCardActive = false;
        displays.WaterfallDisplay->setCursor(Qt::ArrowCursor);
        status.ShowSoundCard(false, LcfLoadString(Str::SoundcardInactive));
        SetConnectIdle();
        status.StatusBar->repaint();
        return;
    }
    m_modem.fnSetFFTMode(m_settings.FFTAdjust, displays.SpectrumScale, 1);
    m_modem.fnSetRXFrequency(tuning.RXSpin->value(), 10, 0);
    m_modem.fnSetRXPSKMode(m_settings.RXMode, 0);
    m_modem.fnSetAFCLimit(tuning.AFCSpin->value(), 0);
    m_modem.fnSetClockErrorAdjustment(m_settings.PPMAdjust);
    m_modem.fnSetSquelchThreshold(tuning.SQTrack->value(), tuning.SQSSPin->value(), 0);
    m_modem.fnSetCWIDSpeed(m_settings.CWIDSpeed + 1);
    const QByteArray cwid = m_settings.CWID.toLatin1();
    m_modem.fnSetCWIDString(cwid.constData());

    setActionIcon(m_connection, 2);
    m_connection->setToolTip(LcfLoadString(Str::DisconnectHint));
    status.ShowSoundCard(true, LcfLoadString(Str::SoundcardActive));
    status.ShowReceiving(false, LcfLoadString(Str::NoReception));
    status.ShowTransmitting(false, LcfLoadString(Str::NoTransmission));
    // A fresh, black waterfall history at the strip's present size.
    displays.ResetWaterfallHistory();
}

void SoundCardLink::StopSoundCard() {
    DisplayPanel &displays = m_parts.displays;
    StatusArea &status = m_parts.status;
    displays.WaterfallDisplay->setCursor(Qt::ArrowCursor);
    m_parts.transmit.EndForDisconnect();
    SetConnectIdle();
    status.ShowSoundCard(false, LcfLoadString(Str::SoundcardInactive));
    status.ShowReceiving(false, LcfLoadString(Str::NoReception));
    status.ShowTransmitting(false, LcfLoadString(Str::NoTransmission));
    m_modem.fnStopSoundCard();
    displays.SpectrumDisplayPaint();
    displays.WaterfallDisplayPaint();
    displays.SyncroDisplayPaint();
    displays.VectorDisplayPaint();
    displays.SignalDisplayPaint();
    m_parts.tracks.TrackTeardown();
    status.StatusBar->repaint();
}

void SoundCardLink::DataReadyMessage() {
    if (!SoundCardActive)
        return;
    DisplayPanel &displays = m_parts.displays;
    StatusArea &status = m_parts.status;
    if (displays.SignalPageShown()) {
        m_modem.fnGetRawData(displays.RawData.data(), 0, 1023);
        displays.SignalDisplayPaint();
    }
    InputOverload =
        (m_modem.fnGetFFTData(displays.FFTData.data(), displays.FFTLowBin, displays.FFTHighBin) & 0xFF) != 0;
    if (InputOverload) {
        m_dialogs.beep();
        status.PostStatusMessage(LcfLoadString(Str::SignalOverload), 23);
    } else if (!m_parts.transmit.Transmitting) {
        status.setPanelText(2, LcfLoadString(Str::ReceivingNow));
        status.ShowTransmitting(false, LcfLoadString(Str::NoTransmission));
        status.ShowReceiving(true, LcfLoadString(Str::ReceivingNow));
    }
    displays.SpectrumDisplayPaint();
    displays.WaterfallDisplayPaint();
    // Read after the waterfall paint, which may have removed the active
    // track and moved on to another.
    const int track = m_parts.tracks.activeTrack();
    m_parts.tuning.SIGTrack->setPosition(m_modem.fnGetSignalLevel(track));
    m_parts.tuning.ShowReceiveFrequency(m_modem.fnGetRXFrequency(track));
    m_modem.fnGetSyncData(displays.SyncData.data(), track);
    displays.SyncroDisplayPaint();
    m_modem.fnGetVectorData(displays.VectorData.data(), track);
    displays.VectorDisplayPaint();
}

void SoundCardLink::DeliverCharacter(QPlainTextEdit *edit, int c) {
    QTextCursor cursor = edit->textCursor();
    if (c == 8)
        cursor.deletePreviousChar();
    else if (c == 13)
        cursor.insertBlock();
    else
        cursor.insertText(QString(QChar(c)));
    edit->setTextCursor(cursor);
}

void SoundCardLink::DeliverCharacter(QLineEdit *edit, int c) {
    if (c == 8)
        edit->backspace();
    else
        edit->insert(QString(QChar(c)));
}

void SoundCardLink::CharacterMessage(int32_t wParam, int32_t lParam) {
    const TrackChannels &tracks = m_parts.tracks;
    if (!SoundCardActive || tracks.trackCount() <= 0)
        return;
    const int c = static_cast<int>(static_cast<uint32_t>(wParam) & 0xFFFFu);
    if (!(c == 8 || c == 13 || (c >= 32 && c <= 255)))
        return;
    // The library decodes 8-bit characters in the Latin-1 range.
    const int active = tracks.activeTrack();
    const int n = lParam == -1 ? active : lParam;
    if (n < 0 || n >= TrackChannels::TrackSlots)
        return;
    if (n == active) {
        QPlainTextEdit *pane = m_parts.receivePane;
        pane->moveCursor(QTextCursor::End);
        DeliverCharacter(pane, c);
        pane->ensureCursorVisible();
    }
    if (QLineEdit *edit = tracks.trackEdit(n))
        DeliverCharacter(edit, c == 13 ? 32 : c);
}

void SoundCardLink::StatusMessageHandler(int32_t code) {
    if (!SoundCardActive)
        return;
    StatusArea &status = m_parts.status;
    QPlainTextEdit *pane = m_parts.receivePane;
    const bool haveTracks = m_parts.tracks.trackCount() > 0;
    switch (code) {
    case 0:
        status.setPanelText(2, ModemStatusText(0));
        if (m_parts.transmit.TransmissionEnded(haveTracks))
            AppendStamp(pane, LcfLoadString(Str::TransmissionStopped),
                        FormatDateTime(StampPattern, m_clock.localNow()));
        m_parts.tuning.Canal->setEnabled(haveTracks);
        break;
    case 1:
        status.setPanelText(2, ModemStatusText(1));
        AppendStamp(pane, LcfLoadString(Str::TransmissionStarted),
                    FormatDateTime(StampPattern, m_clock.localNow()));
        m_parts.transmit.TransmissionStarted();
        status.ShowTransmitting(true, LcfLoadString(Str::Transmitting));
        status.ShowReceiving(false, LcfLoadString(Str::NoReception));
        m_parts.tuning.Canal->setEnabled(false);
        break;
    case 2:
    case 3:
        status.PostStatusMessage(ModemStatusText(code), 23);
        break;
    default:
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), ModemStatusText(code));
        break;
    }
}

void SoundCardLink::LevelMessage(int32_t wParam, int32_t lParam) {
    if (!SoundCardActive)
        return;
    const QString db = QString::number(wParam) + LcfLoadString(Str::DecibelSuffix);
    if (lParam == -1)
        m_parts.status.setPanelText(1, LcfLoadString(Str::NoiseLevelPrefix) + db);
    else
        m_parts.tuning.IMDd->setText(LcfLoadString(Str::ImdPrefix) + db);
}

void SoundCardLink::ClockErrorMessage(int32_t wParam) {
    if (!SoundCardActive)
        return;
    m_parts.tuning.PPMd->setText(QString::number(wParam) + LcfLoadString(Str::PpmSuffix));
}
