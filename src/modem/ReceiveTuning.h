#pragma once
// The "Active track" page: the signal level, the squelch and the frequency
// settings of the active track's channel. Its handlers act on that channel,
// except the squelch, which is set on channel 0.

#include "modem/SpinArrows.h"

#include <QList>
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
    // A frequency the program chose for the active track (a new or dragged
    // track): it replaces whatever was being typed.
    void SetReceiveFrequency(int hertz);
    // The library's frequency of the active channel, shown unless the
    // operator is typing one into RXSpin.
    void ShowReceiveFrequency(int hertz);
    // The operator has typed into this spin and not yet finished (Enter or
    // leaving it).
    bool IsBeingTyped(const QSpinBox *spin) const;

signals:
    // An arrow of the transmit frequency was clicked (the value has moved).
    void transmitSpinClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // What a click on an arrow of a frequency spin does.
    void ArrowClick(QSpinBox *spin, SpinArrow arrow);
    // A typed value, once finished, goes where the arrows send theirs.
    void TypedValueFinished(QSpinBox *spin);

    Modem &m_modem;
    std::function<int()> m_activeTrack;
    int m_wheel = 0; // wheel turn not yet a whole notch
    QList<const QSpinBox *> m_typed;
};
