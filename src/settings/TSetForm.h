#pragma once
// The setup dialog ("Program setup"). It edits the station and program settings on
// two pages and acts on three levels:
//  - some choices change the program's running values at once, saved or not (mode,
//    sound card, COM port and its activation, date format, replay blocks, clock and
//    FFT corrections, waterfall cursor and scale intensity, the CW identification text);
//  - colours and fonts are written to the Look group the moment they are chosen and
//    only previewed here; the main window takes them over after a save;
//  - "Save and exit" writes the rest to the Settings group; "Cancel" writes nothing and
//    undoes nothing.
// The rules live in SettingsRules; this class moves values between controls and them.

#include "base/RunningSettings.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QToolButton;

class Clock;
class Dialogs;
class Modem;
class SettingsStore;
class TBandSelector;
class TClickPanel;
class TPaintBox;
class TRadioGroup;

// What the dialog reads and changes of the running program.
struct SetupContext {
    Modem &modem;
    SettingsStore &store;
    Dialogs &dialogs;
    Clock &clock;
    RunningSettings &settings; // CWID is the running CW identification text
    QString &dateFormatPattern;
};

class TSetForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 560;
    static constexpr int ClientHeight = 358;

    explicit TSetForm(const SetupContext &context, QWidget *parent = nullptr);
    ~TSetForm() override;

    // ---- Controls (component names are their objectName) ---------------
    QTabWidget *PageControl = nullptr;
    QWidget *GeneralSheet = nullptr, *ColorsSheet = nullptr;
    QPushButton *CancelBtn = nullptr, *ApplyBtn = nullptr;
    QLabel *MakerPanel = nullptr, *DatePanel = nullptr;

    QLineEdit *CallEdit = nullptr, *CWMsgEdit = nullptr;
    TRadioGroup *RXModeGroup = nullptr, *PTTGroup = nullptr, *CRDGroup = nullptr, *DateGroup = nullptr,
                *CWGroup = nullptr;
    QGroupBox *PORTGroup = nullptr;
    std::array<QRadioButton *, 8> ComButtons{}; // COM1..COM8
    QButtonGroup *ComButtonGroup = nullptr;
    QGroupBox *MiscGroup = nullptr;
    QSpinBox *BlocksSpin = nullptr, *PpmSpin = nullptr, *FFTSpin = nullptr;
    TBandSelector *BAND = nullptr;

    TClickPanel *ACCPanel = nullptr, *OTHPanel = nullptr, *STPPanel = nullptr, *RXBPanel = nullptr,
                *TXBPanel = nullptr;
    QLineEdit *QSOBox = nullptr;
    QCheckBox *SpecBox = nullptr, *HTUBox = nullptr;
    std::array<QToolButton *, 5> CursorButtons{}; // crMainBtn .. crSplitBtn, cursors 1..5
    QButtonGroup *CursorGroup = nullptr;
    TPaintBox *PBox = nullptr;
    QSlider *WaterBar = nullptr;

    // ---- Handlers ------------------------------------------------------
    void InitForm();
    void ActivateForm();
    void CheckCOMPorts();
    void ChangeCall();
    void ChangeDateFormat();
    void ChangeMode();
    void CRDGroupClick();
    void PortGroupClick(int port);
    void PTTGroupClick();
    void ChangeBlocks();
    void ChangePPM();
    void ChangeFFT();
    void CursorBtnClick(int number);
    void ChangeColor();
    void PBoxPaint();
    void ColorClick(int tag);
    void FontClick(int tag);
    void ApplyBtnClick();
    void CancelBtnClick();

    // The port of the selected COM button, 0 when none is selected.
    int selectedComPort() const;
    // Colours of a preview panel (the QSO box's edit included).
    static void setPreviewColors(QWidget *panel, quint32 background, quint32 text);
    static quint32 previewBackground(const QWidget *panel);
    static quint32 previewText(const QWidget *panel);

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void BuildGeneralPage();
    void BuildColorsPage();
    void BuildSoundCardHints();
    void ApplyComPort(int port, int activation);
    void WriteLook(const QList<QPair<QString, QString>> &values);
    QWidget *previewOfTag(int tag) const;

    SetupContext m_ctx;
    bool m_fallingBack = false;
};
