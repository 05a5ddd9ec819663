#include "modem/ReceiveTuning.h"

#include "base/FormBuild.h"
#include "base/Widgets.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "modem/SpinArrows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QWheelEvent>
#include <string_view>

ReceiveTuning::ReceiveTuning(QWidget *parent, Modem &modem, std::function<int()> activeTrack)
    : QObject(parent->window()), m_modem(modem), m_activeTrack(std::move(activeTrack)) {
    Canal = named(new QTabWidget(parent), "Canal");
    ChannelTab = named(new QWidget, "ChannelTab");
    Canal->addTab(ChannelTab, QStringLiteral("Active track"));

    // The group captions are bold, what is inside them is not: a weight set
    // explicitly, so the controls do not inherit the group's.
    QFont plain = parent->font();
    plain.setBold(false);
    QFont bold = plain;
    bold.setBold(true);
    SignalBox = named(new QGroupBox(QStringLiteral(" Signal "), ChannelTab), "SignalBox");
    SignalBox->setFont(bold);
    SignalBox->setGeometry(3, 2, 165, 100);
    setHelp(SignalBox, "SQL_PNL", 22);
    SIGTrack = named(new TLevelBar(SignalBox), "SIGTrack");
    SIGTrack->setGeometry(7, 20, 156, 15);
    SQLbl1 = named(label(SignalBox, QStringLiteral("Squelch threshold"), 8, 37, 150), "SQLbl1");
    SQTrack = named(new QSlider(Qt::Horizontal, SignalBox), "SQTrack");
    SQTrack->setRange(0, 100);
    SQTrack->setSingleStep(1);
    SQTrack->setTickInterval(5);
    SQTrack->setTickPosition(QSlider::TicksAbove);
    SQTrack->setGeometry(4, 50, 158, 24);
    SQLbl2 = named(label(SignalBox, QStringLiteral("Squelch speed (0-200)"), 6, 79, 114), "SQLbl2");
    SQSSPin = named(new QSpinBox(SignalBox), "SQSSPin");
    SQSSPin->setRange(0, 200);
    SQSSPin->setValue(200);
    SQSSPin->setGeometry(121, 75, 40, 20);
    for (QWidget *w : SignalBox->findChildren<QWidget *>())
        w->setFont(plain);

    FreqBox = named(new QGroupBox(QStringLiteral(" Frequency settings "), ChannelTab), "FreqBox");
    FreqBox->setFont(bold);
    FreqBox->setGeometry(3, 104, 165, 104);
    setHelp(FreqBox, "FRQ_PNL", 23);
    named(label(FreqBox, QStringLiteral("Receive"), 8, 16), "RXLbl");
    named(label(FreqBox, QStringLiteral("Transmit"), 60, 16), "TXLbl");
    named(label(FreqBox, QStringLiteral("Width"), 112, 16), "WidthLbl");
    auto spin = [this](const char *name, int x, int max) {
        auto *s = named(new QSpinBox(FreqBox), name);
        s->setRange(name == std::string_view("AFCSpin") ? 0 : 1, max);
        s->setGeometry(x, 30, x == 112 ? 46 : 50, 20);
        return s;
    };
    RXSpin = spin("RXSpin", 8, 3500);
    TXSpin = spin("TXSpin", 60, 3500);
    AFCSpin = spin("AFCSpin", 112, 3500);
    AFCSpin->setValue(0);
    AFCCheck = named(new QCheckBox(QStringLiteral("AFC On"), FreqBox), "AFCCheck");
    AFCCheck->setGeometry(8, 55, 72, 18);
    NETCheck = named(new QCheckBox(QStringLiteral("NET On"), FreqBox), "NETCheck");
    NETCheck->setGeometry(84, 55, 72, 18);
    auto readout = [this](const char *name, int x, int w) {
        auto *l = named(new QLabel(FreqBox), name);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(x, 78, w, 18);
        return l;
    };
    PPMd = readout("PPMd", 8, 72);
    IMDd = readout("IMDd", 84, 74);
    for (QWidget *w : FreqBox->findChildren<QWidget *>())
        w->setFont(plain);

    for (QSpinBox *s : {RXSpin, TXSpin, AFCSpin})
        s->installEventFilter(this);
    // A value typed into a spin is sent once, when the operator has finished
    // it; never a call per keystroke, and never overwritten while typed.
    for (QSpinBox *s : {RXSpin, TXSpin, AFCSpin}) {
        if (auto *edit = s->findChild<QLineEdit *>())
            connect(edit, &QLineEdit::textEdited, this, [this, s] {
                if (!m_typed.contains(s))
                    m_typed.append(s);
            });
        connect(s, &QSpinBox::editingFinished, this, [this, s] {
            if (m_typed.removeAll(s) > 0)
                TypedValueFinished(s);
        });
    }
    // The squelch speed has no arrow handler of its own: its change handler
    // runs, but only for a finished value.
    SQSSPin->setKeyboardTracking(false);
    // Start-up reads of the stored values run these handlers too, exactly as
    // the operator's own changes would.
    connect(AFCCheck, &QCheckBox::toggled, this, &ReceiveTuning::AFCCheckClick);
    connect(SQTrack, &QSlider::valueChanged, this, &ReceiveTuning::SQLChange);
    connect(SQSSPin, &QSpinBox::valueChanged, this, &ReceiveTuning::SQLChange);
}

bool ReceiveTuning::eventFilter(QObject *watched, QEvent *e) {
    auto *spin = qobject_cast<QSpinBox *>(watched);
    if (!spin || !spin->isEnabled())
        return false;
    // The arrow keys, the page keys and the wheel step a spin as its arrows
    // do, so they run the arrows' handler: a value changed past it would
    // never reach the library.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->button() != Qt::LeftButton)
            return false;
        const SpinArrow arrow = spinArrowAt(spin, me->position().toPoint());
        if (arrow == SpinArrow::None)
            return false;
        // One action per click: the spin's own repeat while the button is
        // held would toggle a transmission again and again.
        ArrowClick(spin, arrow);
        return true;
    }
    case QEvent::KeyPress:
        switch (static_cast<QKeyEvent *>(e)->key()) {
        case Qt::Key_Up:
        case Qt::Key_PageUp:
            ArrowClick(spin, SpinArrow::Up);
            return true;
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            ArrowClick(spin, SpinArrow::Down);
            return true;
        default:
            return false;
        }
    case QEvent::Wheel: {
        // One step per notch, however finely the wheel reports.
        m_wheel += static_cast<QWheelEvent *>(e)->angleDelta().y();
        for (; m_wheel >= 120; m_wheel -= 120)
            ArrowClick(spin, SpinArrow::Up);
        for (; m_wheel <= -120; m_wheel += 120)
            ArrowClick(spin, SpinArrow::Down);
        return true;
    }
    default:
        return false;
    }
}

void ReceiveTuning::ArrowClick(QSpinBox *spin, SpinArrow arrow) {
    // An arrow replaces whatever was being typed.
    m_typed.removeAll(spin);
    const int step = arrow == SpinArrow::Up ? 1 : -1;
    if (spin == RXSpin) {
        if (arrow == SpinArrow::Up)
            RxSpinUpClick();
        else
            RxSpinDownClick();
    } else if (spin == TXSpin) {
        spin->stepBy(step);
        emit transmitSpinClicked();
    } else if (spin == AFCSpin) {
        spin->stepBy(step);
        AFCLimitChange();
    }
}

void ReceiveTuning::TypedValueFinished(QSpinBox *spin) {
    if (spin == RXSpin) {
        // As the arrows do, but to the frequency typed.
        m_modem.fnSetRXFrequency(RXSpin->value(), 10, m_activeTrack());
    } else if (spin == AFCSpin) {
        AFCLimitChange();
    }
    // A typed transmit frequency is taken at the next transmit, tune or CW
    // identification: its arrows' handler toggles the transmitter, and
    // leaving the field must never key the radio.
}

bool ReceiveTuning::IsBeingTyped(const QSpinBox *spin) const {
    return m_typed.contains(spin);
}

void ReceiveTuning::SetReceiveFrequency(int hertz) {
    m_typed.removeAll(RXSpin);
    RXSpin->setValue(hertz);
}

void ReceiveTuning::ShowReceiveFrequency(int hertz) {
    if (!IsBeingTyped(RXSpin))
        RXSpin->setValue(hertz);
}

void ReceiveTuning::RxSpinUpClick() {
    // One hertz from where the library has the channel now (AFC may have
    // moved it), not from the value shown.
    const int track = m_activeTrack();
    const int f = m_modem.fnGetRXFrequency(track) + 1;
    m_modem.fnSetRXFrequency(f, 10, track);
    RXSpin->setValue(f);
}

void ReceiveTuning::RxSpinDownClick() {
    const int track = m_activeTrack();
    const int f = m_modem.fnGetRXFrequency(track) - 1;
    m_modem.fnSetRXFrequency(f, 10, track);
    RXSpin->setValue(f);
}

void ReceiveTuning::AFCCheckClick() {
    m_modem.fnSetAFCLimit(AFCCheck->isChecked() ? AFCSpin->value() : 0, m_activeTrack());
}

void ReceiveTuning::AFCLimitChange() {
    // The width goes out even with "AFC On" cleared.
    m_modem.fnSetAFCLimit(AFCSpin->value(), m_activeTrack());
}

void ReceiveTuning::SQLChange() {
    m_modem.fnSetSquelchThreshold(SQTrack->value(), SQSSPin->value(), 0);
    SQLbl1->setText(LcfLoadString(Str::SquelchThresholdPrefix) + QString::number(SQTrack->value()));
}

void ReceiveTuning::ApplyNet() {
    if (NETCheck->isChecked())
        TXSpin->setValue(RXSpin->value());
}

void ReceiveTuning::ShowActiveTrack(const QString &caption) {
    Canal->setTabText(0, caption);
}
