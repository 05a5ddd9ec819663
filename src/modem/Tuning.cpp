// The "Active track" page's tuning controls. They act on the active track's
// channel, except the squelch, which is set on channel 0.

#include "app/TPSKForm.h"
#include "lang/Strings.h"
#include "modem/Modem.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

void TPSKForm::RxSpinUpClick() {
    // One hertz from where the library has the channel now (AFC may have
    // moved it), not from the value shown.
    const int f = m_modem.fnGetRXFrequency(ActiveTrack) + 1;
    m_modem.fnSetRXFrequency(f, 10, ActiveTrack);
    RXSpin->setValue(f);
}

void TPSKForm::RxSpinDownClick() {
    const int f = m_modem.fnGetRXFrequency(ActiveTrack) - 1;
    m_modem.fnSetRXFrequency(f, 10, ActiveTrack);
    RXSpin->setValue(f);
}

void TPSKForm::AFCCheckClick() {
    m_modem.fnSetAFCLimit(AFCCheck->isChecked() ? AFCSpin->value() : 0, ActiveTrack);
}

void TPSKForm::AFCLimitChange() {
    // The width goes out even with "AFC On" cleared.
    m_modem.fnSetAFCLimit(AFCSpin->value(), ActiveTrack);
}

void TPSKForm::SQLChange() {
    m_modem.fnSetSquelchThreshold(SQTrack->value(), SQSSPin->value(), 0);
    SQLbl1->setText(LcfLoadString(Str::SquelchThresholdPrefix) + QString::number(SQTrack->value()));
}
