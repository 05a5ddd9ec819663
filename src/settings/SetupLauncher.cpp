#include "SetupLauncher.h"

#include "SetupWidgets.h"
#include "TBandSelector.h"
#include "base/AppImages.h"
#include "base/SettingsStore.h"
#include "base/Utilities.h"
#include "modem/Modem.h"

#include <QCheckBox>
#include <QCursor>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// A control's look as the previews show it: background, text colour and font.
void copyLook(const QWidget *from, QWidget *to) {
    const QPalette pal = from->palette();
    TSetForm::setPreviewColors(to, winFromColor(pal.color(QPalette::Base)),
                               winFromColor(pal.color(QPalette::Text)));
    to->setFont(from->font());
}

void takeLook(const QWidget *preview, QWidget *to) {
    QPalette pal = to->palette();
    const QColor background = colorFromWin(TSetForm::previewBackground(preview));
    const QColor text = colorFromWin(TSetForm::previewText(preview));
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::WindowText, text);
    to->setPalette(pal);
    to->setFont(preview->font());
}

} // namespace

SetupLauncher::SetupLauncher(const SetupContext &context, SetupTargets targets, QObject *parent)
    : QObject(parent), m_ctx(context), m_targets(std::move(targets)) {
    showModal = [](TSetForm &form) { return form.exec(); };
}

void SetupLauncher::PreparePreviews(TSetForm &form) {
    // The track colours are the stored ones; the others are what the window shows now.
    quint32 look[4] = {0, 65535, 0, 65280};
    const char *const names[4] = {"ACCColor", "ACCFtColor", "OTHColor", "OTHFtColor"};
    try {
        for (int i = 0; i < 4; ++i)
            look[i] = static_cast<quint32>(m_ctx.store.readInt(
                StoreGroup::look(), QString::fromLatin1(names[i]), static_cast<int>(look[i])));
    } catch (const StoreError &error) {
        // The dialog has reported the unreadable store when it opened; the previews
        // keep the default colours.
        qWarning("Setup previews: %s", error.what());
    }
    TSetForm::setPreviewColors(form.ACCPanel, look[0], look[1]);
    TSetForm::setPreviewColors(form.OTHPanel, look[2], look[3]);
    if (!m_targets.controls.isEmpty())
        copyLook(m_targets.controls.first(), form.STPPanel);
    if (m_targets.rxPane)
        copyLook(m_targets.rxPane, form.RXBPanel);
    if (m_targets.txPane)
        copyLook(m_targets.txPane, form.TXBPanel);
    if (!m_targets.qsoFields.isEmpty())
        copyLook(m_targets.qsoFields.first(), form.QSOBox);
}

void SetupLauncher::TakeOver(TSetForm &form) {
    RunningSettings &s = m_ctx.settings;
    s.MyCall = form.CallEdit->text();
    s.ShowUTCTime = form.HTUBox->isChecked();
    s.CWIDSpeed = form.CWGroup->itemIndex();
    s.CWID = form.CWMsgEdit->text();

    // The dialog has already put the band through the save check.
    s.WFMin = form.BAND->low();
    s.WFMax = form.BAND->high();
    if (m_targets.bandChanged)
        m_targets.bandChanged();

    if (const int port = form.selectedComPort(); port > 0)
        s.ComPort = port;
    s.PTTControl = form.PTTGroup->itemIndex();
    if (m_targets.comLampChanged)
        m_targets.comLampChanged();

    s.DateFormat = form.DateGroup->itemIndex();
    m_ctx.dateFormatPattern = dateFormatPattern(s.DateFormat);

    s.PPMAdjust = form.PpmSpin->value();
    s.FFTAdjust = form.FFTSpin->value();
    s.Blocks = form.BlocksSpin->value();
    if (m_targets.rewindHintChanged)
        m_targets.rewindHintChanged();

    // Tracks take their colours from the running values at their next paint.
    s.ACCColor = TSetForm::previewBackground(form.ACCPanel);
    s.OTHColor = TSetForm::previewBackground(form.OTHPanel);
    s.ACCFtColor = TSetForm::previewText(form.ACCPanel);
    s.OTHFtColor = TSetForm::previewText(form.OTHPanel);

    for (QWidget *w : std::as_const(m_targets.controls))
        takeLook(form.STPPanel, w);
    if (m_targets.rxPane)
        takeLook(form.RXBPanel, m_targets.rxPane);
    if (m_targets.txPane)
        takeLook(form.TXBPanel, m_targets.txPane);
    for (QWidget *w : std::as_const(m_targets.qsoFields))
        takeLook(form.QSOBox, w);
}

void SetupLauncher::CfgBtnClick() {
    {
        TSetForm form(m_ctx, m_targets.window);
        PreparePreviews(form);
        if (showModal(form) == QDialog::Accepted)
            TakeOver(form);
    }
    // OK or Cancel: the running values, some of which the dialog changed at once, go to
    // the waterfall, the caption and the library.
    const RunningSettings &s = m_ctx.settings;
    if (m_targets.soundCardActive && m_targets.soundCardActive() && m_targets.waterfall)
        m_targets.waterfall->setCursor(AppImages::cursor(s.WCursor));
    if (m_targets.captionChanged)
        m_targets.captionChanged();
    Modem &modem = m_ctx.modem;
    const QByteArray cwid = s.CWID.toLatin1();
    modem.fnSetCWIDString(cwid.constData());
    modem.fnSetCWIDSpeed(s.CWIDSpeed + 1);
    modem.fnSetClockErrorAdjustment(s.PPMAdjust);
    modem.fnSetComPort(s.ComPort, s.PTTControl);
    modem.fnSetRXPSKMode(s.RXMode, m_targets.activeTrack ? m_targets.activeTrack() : 0);
    modem.fnSetFFTMode(s.FFTAdjust, SpectrumScale, 1);
}
