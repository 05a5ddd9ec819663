// The setup dialog's behaviour: opening, the choices that act at once, the colour and
// font choosers, saving and cancelling.
#include "SerialDevice.h"
#include "SettingsRules.h"
#include "SetupWidgets.h"
#include "TBandSelector.h"
#include "TSetForm.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "base/Utilities.h"
#include "base/Widgets.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "modem/Modem.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include <array>
#include <cstdint>

namespace {

// The device the library names for (kind, number); empty when there is none.
QString deviceName(Modem &modem, int32_t kind, int32_t number) {
    std::array<char, 512> buffer{};
    const int32_t length =
        modem.fnGetDeviceName(kind, number, buffer.data(), static_cast<int32_t>(buffer.size()));
    if (length <= 0)
        return {};
    return QString::fromUtf8(buffer.data());
}

constexpr int32_t kInputDevice = 0;
constexpr int32_t kOutputDevice = 1;
constexpr int32_t kComDevice = 2;

} // namespace

// ---- Opening --------------------------------------------------------------

void TSetForm::CheckCOMPorts() {
    // COM n is the device the modem library opens for it; a button is usable when that
    // device is there and is a serial port. Each hint names the device, so an operator
    // can tell which number a USB adapter was given.
    for (int n = 1; n <= 8; ++n) {
        QRadioButton *button = ComButtons[static_cast<size_t>(n - 1)];
        const QString device = deviceName(m_ctx.modem, kComDevice, n);
        const SerialDeviceState state = probeSerialDevice(device);
        QString hint = LcfLoadString(Str::ComPortPrefix) + QString::number(n);
        if (!device.isEmpty()) {
            hint += LcfLoadString(Str::ComDeviceSeparator) + device;
            if (!state.target.isEmpty())
                hint += QStringLiteral(" -> ") + state.target;
            if (state.kind == SerialDeviceState::Missing)
                hint += LcfLoadString(Str::ComDeviceNotFound);
            else if (state.kind == SerialDeviceState::NotSerial)
                hint += LcfLoadString(Str::ComDeviceNotSerial);
        }
        button->setEnabled(state.kind == SerialDeviceState::Serial);
        button->setToolTip(hint);
        button->setProperty("device", device);
    }
}

void TSetForm::BuildSoundCardHints() {
    // Each sound-card item names what the library will open for that number, so an
    // operator with a USB interface knows which one to pick.
    for (int i = 0; i < CRDGroup->count(); ++i) {
        const int card = SetupRules::kCardNumbers[static_cast<size_t>(i)];
        const auto orNone = [](const QString &name) {
            return name.isEmpty() ? LcfLoadString(Str::SoundNoDevice) : name;
        };
        CRDGroup->button(i)->setToolTip(LcfLoadString(Str::SoundInputPrefix) +
                                        orNone(deviceName(m_ctx.modem, kInputDevice, card)) +
                                        QStringLiteral("\n") + LcfLoadString(Str::SoundOutputPrefix) +
                                        orNone(deviceName(m_ctx.modem, kOutputDevice, card)));
    }
}

void TSetForm::InitForm() {
    // The language file's texts first, so the hints made below stay as made.
    TranslateForm(this);
    CheckCOMPorts();
    BuildSoundCardHints();
    SettingsStore &store = m_ctx.store;
    RunningSettings &s = m_ctx.settings;
    const QString g = StoreGroup::settings();
    // Filling a control has the same effect as the operator choosing it, so each
    // handler runs here as well, in this order.
    // Sets a control without its signal; the caller runs the handler where it applies.
    const auto quietly = [](QObject *control, const auto &set) {
        const QSignalBlocker blocker(control);
        set();
    };
    // A stored index no item has (a hand-edited store) keeps the item already shown.
    const auto pick = [&quietly](TRadioGroup *group, int index) {
        if (index >= 0 && index < group->count())
            quietly(group, [&] { group->setItemIndex(index); });
    };
    try {
        store.open();
        quietly(CallEdit, [&] {
            CallEdit->setText(store.readString(g, QStringLiteral("MyCall"), QStringLiteral("NOCALL")));
        });
        ChangeCall();
        HTUBox->setChecked(store.readBool(g, QStringLiteral("ShowUTCTime"), true));
        SpecBox->setChecked(store.readBool(g, QStringLiteral("SpectrumPlain"), true));
        pick(DateGroup, store.readInt(g, QStringLiteral("DateFormat"), 0));
        ChangeDateFormat();
        pick(CWGroup, store.readInt(g, QStringLiteral("CWIDSpeed"), 2));
        CWMsgEdit->setText(store.readString(g, QStringLiteral("CWID"), QStringLiteral("NOCALL")));
        s.ComPort = store.readInt(g, QStringLiteral("ComPort"), 1);
        if (s.ComPort >= 1 && s.ComPort <= 8) {
            ComButtons[static_cast<size_t>(s.ComPort - 1)]->setChecked(true);
            PortGroupClick(s.ComPort);
        }
        const int activation = store.readInt(g, QStringLiteral("PTTControl"), 0);
        pick(PTTGroup, activation);
        if (activation >= 1 && activation <= 3)
            PTTGroupClick();
        // Only a code an item has selects it (and sets the same running value again);
        // any other leaves "BPSK" shown and the running mode as it is.
        if (const int item = SetupRules::modeItemOf(s.RXMode); item >= 0) {
            pick(RXModeGroup, item);
            ChangeMode();
        }
        if (const int item = SetupRules::cardItemOf(s.CardNum); item >= 0) {
            pick(CRDGroup, item);
            CRDGroupClick();
        }
        quietly(BlocksSpin, [&] { BlocksSpin->setValue(store.readInt(g, QStringLiteral("Blocks"), 1)); });
        ChangeBlocks();
        BAND->setEdges(store.readInt(g, QStringLiteral("WFMin"), SetupRules::kBandLowest),
                       store.readInt(g, QStringLiteral("WFMax"), SetupRules::kBandHighest));
        quietly(PpmSpin, [&] { PpmSpin->setValue(store.readInt(g, QStringLiteral("PPMAdjust"), 0)); });
        ChangePPM();
        s.WCursor = store.readInt(g, QStringLiteral("WCursor"), 4);
        quietly(FFTSpin, [&] { FFTSpin->setValue(store.readInt(g, QStringLiteral("FFTAdjust"), 1)); });
        ChangeFFT();
        if (QAbstractButton *b = CursorGroup->button(s.WCursor))
            b->setChecked(true);
    } catch (const StoreError &error) {
        qWarning("Setup dialog: %s", error.what());
        m_ctx.dialogs.beep();
        m_ctx.dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(Str::ErrorReadingRegistry));
    }
}

void TSetForm::ActivateForm() {
    WaterBar->setValue(static_cast<int>(m_ctx.settings.WColor & 0xFFu));
    PBoxPaint();
}

bool TSetForm::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate)
        ActivateForm();
    return QDialog::event(e);
}

// ---- Choices that act at once ----------------------------------------------

void TSetForm::ChangeCall() {
    const QString text = QStringLiteral("de ") + CallEdit->text();
    CWMsgEdit->setText(text);
    m_ctx.settings.CWID = text;
}

void TSetForm::ChangeDateFormat() {
    m_ctx.dateFormatPattern = dateFormatPattern(DateGroup->itemIndex());
    DatePanel->setText(FormatDateTime(m_ctx.dateFormatPattern, m_ctx.clock.localNow()));
}

void TSetForm::ChangeMode() {
    const int item = RXModeGroup->itemIndex();
    if (item >= 0)
        m_ctx.settings.RXMode = SetupRules::kModeCodes[static_cast<size_t>(item)];
}

void TSetForm::CRDGroupClick() {
    const int item = CRDGroup->itemIndex();
    if (item >= 0)
        m_ctx.settings.CardNum = SetupRules::kCardNumbers[static_cast<size_t>(item)];
}

void TSetForm::PortGroupClick(int port) {
    m_ctx.settings.ComPort = port;
    const int activation = PTTGroup->itemIndex();
    if (activation > 0)
        ApplyComPort(port, activation);
}

void TSetForm::PTTGroupClick() {
    ApplyComPort(m_ctx.settings.ComPort, std::max(0, PTTGroup->itemIndex()));
}

void TSetForm::ApplyComPort(int port, int activation) {
    if ((m_ctx.modem.fnSetComPort(port, activation) & 0xFF) != 0)
        return;
    // COM 1 may be refused as well; the fallback then ends on "Idle", which the library
    // always accepts, instead of reporting and falling back again without end.
    if (m_fallingBack)
        return;
    m_fallingBack = true;
    m_ctx.dialogs.beep();
    m_ctx.dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorSelectingComPort));
    ComButtons[0]->setChecked(true);
    PortGroupClick(1);
    PTTGroup->setItemIndex(0);
    m_fallingBack = false;
}

void TSetForm::ChangeBlocks() {
    m_ctx.settings.Blocks = BlocksSpin->value();
}
void TSetForm::ChangePPM() {
    m_ctx.settings.PPMAdjust = PpmSpin->value();
}
void TSetForm::ChangeFFT() {
    m_ctx.settings.FFTAdjust = FFTSpin->value();
}

void TSetForm::CursorBtnClick(int number) {
    m_ctx.settings.WCursor = number;
}

void TSetForm::ChangeColor() {
    m_ctx.settings.WColor = SetupRules::greyOf(WaterBar->value());
    PBoxPaint();
}

void TSetForm::PBoxPaint() {
    PBox->showImage(SetupRules::scalePreview(m_ctx.settings.WColor));
}

int TSetForm::selectedComPort() const {
    return std::max(0, ComButtonGroup->checkedId());
}

// ---- Colours and fonts -------------------------------------------------------

void TSetForm::setPreviewColors(QWidget *panel, quint32 background, quint32 text) {
    QPalette pal = panel->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        pal.setColor(role, colorFromWin(background));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        pal.setColor(role, colorFromWin(text));
    panel->setAutoFillBackground(true);
    panel->setPalette(pal);
}

quint32 TSetForm::previewBackground(const QWidget *panel) {
    return winFromColor(panel->palette().color(QPalette::Window));
}

quint32 TSetForm::previewText(const QWidget *panel) {
    return winFromColor(panel->palette().color(QPalette::WindowText));
}

QWidget *TSetForm::previewOfTag(int tag) const {
    switch (tag) {
    case 10:
    case 16:
        return ACCPanel;
    case 11:
    case 17:
        return OTHPanel;
    case 12:
    case 20:
        return STPPanel;
    case 13:
    case 21:
        return RXBPanel;
    case 14:
    case 22:
        return TXBPanel;
    case 15:
    case 23:
        return QSOBox;
    default:
        return nullptr;
    }
}

void TSetForm::WriteLook(const QList<QPair<QString, QString>> &values) {
    // Written at once, as the operator expects a chosen colour to be kept even if the
    // dialog is cancelled. A store that cannot take it is reported, not ignored.
    try {
        for (const auto &[name, value] : values)
            m_ctx.store.writeString(StoreGroup::look(), name, value);
        m_ctx.store.sync();
    } catch (const StoreError &error) {
        qWarning("Setup dialog: %s", error.what());
        m_ctx.dialogs.beep();
        m_ctx.dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(Str::ErrorWritingRegistry));
    }
}

void TSetForm::ColorClick(int tag) {
    static const char *const names[] = {"ACCColor", "OTHColor", "STPColor",   "RXBColor",
                                        "TXBColor", "QSOColor", "ACCFtColor", "OTHFtColor"};
    QWidget *panel = previewOfTag(tag);
    if (!panel || tag < 10 || tag > 17)
        return;
    const bool text = tag >= 16;
    QColor color = colorFromWin(text ? previewText(panel) : previewBackground(panel));
    if (!m_ctx.dialogs.chooseColor(color))
        return;
    const quint32 win = winFromColor(color);
    if (text)
        setPreviewColors(panel, previewBackground(panel), win);
    else
        setPreviewColors(panel, win, previewText(panel));
    WriteLook({{QString::fromLatin1(names[tag - 10]), QString::number(static_cast<qint32>(win))}});
}

void TSetForm::FontClick(int tag) {
    static const char *const prefixes[] = {"STP", "RXB", "TXB", "QSO"};
    QWidget *panel = previewOfTag(tag);
    if (!panel || tag < 20 || tag > 23)
        return;
    QFont font = panel->font();
    QColor color = colorFromWin(previewText(panel));
    if (!m_ctx.dialogs.chooseFont(font, color))
        return;
    panel->setFont(font);
    const quint32 win = winFromColor(color);
    setPreviewColors(panel, previewBackground(panel), win);
    const QString prefix = QString::fromLatin1(prefixes[tag - 20]);
    // Underline and strike-out are not kept; the size is in whole points.
    const int size = font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
    WriteLook({{prefix + QStringLiteral("FontName"), font.family()},
               {prefix + QStringLiteral("FontCol"), QString::number(static_cast<qint32>(win))},
               {prefix + QStringLiteral("FontSize"), QString::number(size)},
               {prefix + QStringLiteral("FontStyle"), QString::number(fontStyleCode(font))}});
}

// ---- Saving and cancelling ----------------------------------------------------

void TSetForm::ApplyBtnClick() {
    const SetupRules::Band band = SetupRules::correctBand(BAND->low(), BAND->high());
    if (band.widened) {
        m_ctx.dialogs.beep();
        m_ctx.dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(Str::BandTooNarrow));
    }
    BAND->setEdges(band.low, band.high);

    const RunningSettings &s = m_ctx.settings;
    SetupRules::SaveValues v;
    v.MyCall = CallEdit->text();
    v.ShowUTCTime = HTUBox->isChecked();
    v.SpectrumPlain = SpecBox->isChecked();
    v.DateFormat = DateGroup->itemIndex();
    v.CWIDSpeed = CWGroup->itemIndex();
    v.CWID = CWMsgEdit->text();
    v.ComPort = s.ComPort;
    v.PTTControl = PTTGroup->itemIndex();
    v.RXMode = s.RXMode;
    v.Blocks = s.Blocks;
    v.PPMAdjust = s.PPMAdjust;
    v.FFTAdjust = s.FFTAdjust;
    v.WFMin = band.low;
    v.WFMax = band.high;
    v.WCursor = s.WCursor;
    v.WColor = s.WColor;
    v.CardNum = s.CardNum;
    try {
        m_ctx.store.open();
        for (const auto &[name, value] : SetupRules::saveList(v))
            m_ctx.store.writeString(StoreGroup::settings(), name, value);
        m_ctx.store.sync();
    } catch (const StoreError &error) {
        // Reported, and the dialog still closes as saved: the window applies the values
        // for this run.
        qWarning("Setup dialog: %s", error.what());
        m_ctx.dialogs.beep();
        m_ctx.dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(Str::ErrorWritingRegistry));
    }
    m_ctx.settings.ShowUTCTime = HTUBox->isChecked();
    m_ctx.settings.SpectrumPlain = SpecBox->isChecked();
    done(QDialog::Accepted);
}

void TSetForm::CancelBtnClick() {
    done(QDialog::Rejected);
}

void TSetForm::closeEvent(QCloseEvent *e) {
    // The close box cancels: nothing is written.
    setResult(QDialog::Rejected);
    QDialog::closeEvent(e);
}
