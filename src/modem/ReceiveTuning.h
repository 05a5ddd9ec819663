#pragma once
// The "Active track" page: the signal level, the squelch and the frequency
// settings of the active track's channel. Its handlers act on that channel,
// except the squelch, which is set on channel 0.

#include "modem/SpinArrows.h"

#include <QObject>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTabWidget;
class QWidget;
class Modem;
class TLevelBar;

class ReceiveTuning : public QObject {
    Q_OBJECT
public:
    // activeTrack names the channel the page acts on.
    ReceiveTuning(QWidget *parent, Modem &modem, std::function<int()> activeTrack);

    QTabWidget *Canal = nullptr;
    QWidget *ChannelTab = nullptr;
    QGroupBox *SignalBox = nullptr, *FreqBox = nullptr;
    TLevelBar *SIGTrack = nullptr;
    QLabel *SQLbl1 = nullptr, *SQLbl2 = nullptr;
    QSlider *SQTrack = nullptr;
    QSpinBox *SQSSPin = nullptr, *RXSpin = nullptr, *TXSpin = nullptr, *AFCSpin = nullptr;
    QCheckBox *AFCCheck = nullptr, *NETCheck = nullptr;
    QLabel *PPMd = nullptr, *IMDd = nullptr;

    void RxSpinUpClick();
    void RxSpinDownClick();
    void AFCCheckClick();
    void AFCLimitChange();
    void SQLChange();
    // With "NET On" the transmit frequency follows the receive frequency.
    void ApplyNet();
    // The page's tab names the active track.
    void ShowActiveTrack(const QString &caption);

signals:
    // An arrow of the transmit frequency was clicked (the value has moved).
    void transmitSpinClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // What a click on an arrow of a frequency spin does.
    void ArrowClick(QSpinBox *spin, SpinArrow arrow);

    Modem &m_modem;
    std::function<int()> m_activeTrack;
    int m_wheel = 0; // wheel turn not yet a whole notch
};
