// The setup dialog's controls and their layout. Handlers are in TSetFormHandlers.cpp.
#include "TSetForm.h"

#include "SetupWidgets.h"
#include "TBandSelector.h"
#include "base/AppFonts.h"
#include "base/AppImages.h"
#include "base/Widgets.h"
#include "lang/Strings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <tuple>

namespace {

void setHelp(QWidget *w, const char *keyword) {
    w->setProperty("helpKeyword", QString::fromLatin1(keyword));
}

QLabel *label(const char *name, const QString &text, QWidget *parent, int x, int y) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QSpinBox *spin(const char *name, int min, int max, QWidget *parent) {
    auto *s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(min, max);
    return s;
}

} // namespace

TSetForm::TSetForm(const SetupContext &context, QWidget *parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SetForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("CFG_BTN"));
    setFont(windowFont());
    setWindowTitle(LcfLoadString(Str::SetupCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ClientWidth, ClientHeight);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(0, 0, ClientWidth, 287);
    GeneralSheet = new QWidget;
    GeneralSheet->setObjectName(QStringLiteral("GeneralSheet"));
    ColorsSheet = new QWidget;
    ColorsSheet->setObjectName(QStringLiteral("ColorsSheet"));
    PageControl->addTab(GeneralSheet, QStringLiteral(" General "));
    PageControl->addTab(ColorsSheet, QStringLiteral(" Colors and fonts "));
    BuildGeneralPage();
    BuildColorsPage();
    PageControl->setCurrentWidget(ColorsSheet);
    // The items shown before the stored values are read (and kept for values no item has).
    for (auto [group, item] : {std::pair{DateGroup, 0}, {CWGroup, 2}, {RXModeGroup, 0}, {CRDGroup, 0}}) {
        const QSignalBlocker blocker(group);
        group->setItemIndex(item);
    }

    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("&Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(253, 289, 127, 49);
    ApplyBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                               QStringLiteral("&Save and exit"), this);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
    ApplyBtn->setGeometry(382, 289, 175, 49);
    ApplyBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    connect(CancelBtn, &QPushButton::clicked, this, &TSetForm::CancelBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TSetForm::ApplyBtnClick);

    // The status bar: the maker's address, then the date sample.
    MakerPanel = new QLabel(LcfLoadString(Str::MakerWebAddress), this);
    MakerPanel->setObjectName(QStringLiteral("MakerPanel"));
    // 100 pixels wide, or as wide as the address needs; the date sample takes the rest.
    const int makerWidth =
        std::max(100, MakerPanel->fontMetrics().horizontalAdvance(MakerPanel->text()) + 10);
    MakerPanel->setGeometry(0, ClientHeight - 20, makerWidth, 20);
    DatePanel = new QLabel(this);
    DatePanel->setObjectName(QStringLiteral("DatePanel"));
    DatePanel->setGeometry(makerWidth, ClientHeight - 20, ClientWidth - makerWidth, 20);
    for (QLabel *panel : {MakerPanel, DatePanel}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
    }

    InitForm();
}

TSetForm::~TSetForm() = default;

void TSetForm::BuildGeneralPage() {
    QWidget *page = GeneralSheet;
    label("CallLbl", QStringLiteral("My callsign"), page, 6, 4);
    CallEdit = new QLineEdit(page);
    CallEdit->setObjectName(QStringLiteral("CallEdit"));
    CallEdit->setGeometry(4, 18, 112, 21);
    setHelp(CallEdit, "SET_CAL");
    label("CWMsgLbl", QStringLiteral("CW ID Message"), page, 6, 42);
    CWMsgEdit = new QLineEdit(page);
    CWMsgEdit->setObjectName(QStringLiteral("CWMsgEdit"));
    CWMsgEdit->setGeometry(4, 56, 112, 21);
    setHelp(CWMsgEdit, "SET_CWI");
    connect(CallEdit, &QLineEdit::textChanged, this, &TSetForm::ChangeCall);

    CWGroup = new TRadioGroup(QStringLiteral(" CW Speed "),
                              {QStringLiteral("37.5 Wpm"), QStringLiteral("18.75 Wpm"),
                               QStringLiteral("12.5 Wpm"), QStringLiteral("9.375 Wpm")},
                              page);
    CWGroup->setObjectName(QStringLiteral("CWGroup"));
    CWGroup->setGeometry(4, 82, 112, 88);
    CWGroup->setToolTip(QStringLiteral("Speed at which the CW identification will be sent"));
    setHelp(CWGroup, "SET_CWS");

    RXModeGroup = new TRadioGroup(QStringLiteral(" Mode "),
                                  {QStringLiteral("BPSK"), QStringLiteral("QPSK (USB)"),
                                   QStringLiteral("QPSK (LSB)"), QStringLiteral("BPSK 62.5"),
                                   QStringLiteral("QPSK USB 62.5"), QStringLiteral("QPSK LSB 62.5")},
                                  page);
    RXModeGroup->setObjectName(QStringLiteral("RXModeGroup"));
    RXModeGroup->setGeometry(120, 0, 126, 122);
    RXModeGroup->setToolTip(QStringLiteral("PSK31 Mode"));
    setHelp(RXModeGroup, "SET_MOD");
    connect(RXModeGroup, &TRadioGroup::itemClicked, this, &TSetForm::ChangeMode);

    CRDGroup = new TRadioGroup(QStringLiteral(" Soundcard "),
                               {QStringLiteral("Auto"), QStringLiteral("SoundCard 0"),
                                QStringLiteral("SoundCard 1"), QStringLiteral("SoundCard 2")},
                               page);
    CRDGroup->setObjectName(QStringLiteral("CRDGroup"));
    CRDGroup->setGeometry(120, 122, 126, 88);
    CRDGroup->setToolTip(
        QStringLiteral("Choose your soundcard. Leave it on \r\n[Auto] if you only have one"));
    setHelp(CRDGroup, "SET_SND");
    connect(CRDGroup, &TRadioGroup::itemClicked, this, &TSetForm::CRDGroupClick);

    PORTGroup = new QGroupBox(QStringLiteral(" COM Ports "), page);
    PORTGroup->setObjectName(QStringLiteral("PORTGroup"));
    PORTGroup->setGeometry(250, 0, 130, 88);
    PORTGroup->setToolTip(
        QStringLiteral("Select here the COM port that will be used to activate your transceiver"));
    setHelp(PORTGroup, "SET_COM");
    auto *grid = new QGridLayout(PORTGroup);
    grid->setContentsMargins(4, 0, 0, 2);
    grid->setSpacing(0);
    ComButtonGroup = new QButtonGroup(this);
    for (int n = 1; n <= 8; ++n) {
        auto *b = new QRadioButton(QStringLiteral("COM %1").arg(n), PORTGroup);
        b->setObjectName(QStringLiteral("COM%1").arg(n));
        b->setEnabled(false); // until CheckCOMPorts finds the port
        ComButtons[static_cast<size_t>(n - 1)] = b;
        ComButtonGroup->addButton(b, n);
        grid->addWidget(b, (n - 1) / 2, (n - 1) % 2);
    }
    connect(ComButtonGroup, &QButtonGroup::idClicked, this, &TSetForm::PortGroupClick);

    PTTGroup = new TRadioGroup(QStringLiteral(" Port activation "),
                               {QStringLiteral("Idle"), QStringLiteral("RTS only"),
                                QStringLiteral("DTR only"), QStringLiteral("RTS && DTR")},
                               page);
    PTTGroup->setObjectName(QStringLiteral("PTTGroup"));
    PTTGroup->setGeometry(250, 90, 130, 88);
    PTTGroup->setToolTip(QStringLiteral("Activation of the COM port linked to the transceiver."));
    setHelp(PTTGroup, "SET_POR");
    // The activation shows "Idle" until the stored one is applied.
    PTTGroup->button(0)->setChecked(true);
    connect(PTTGroup, &TRadioGroup::itemClicked, this, &TSetForm::PTTGroupClick);

    DateGroup =
        new TRadioGroup(QStringLiteral(" Date format "),
                        {QStringLiteral("Windows default"), QStringLiteral("23/10/00"),
                         QStringLiteral("23/10/2000"), QStringLiteral("23 oct 2000"),
                         QStringLiteral("23 october 2000"), QStringLiteral("Thursday 23 october 2000")},
                        page);
    DateGroup->setObjectName(QStringLiteral("DateGroup"));
    DateGroup->setGeometry(384, 0, 168, 122);
    DateGroup->setToolTip(QStringLiteral("Format of the date that will be displayed/sent"));
    setHelp(DateGroup, "SET_DAT");
    connect(DateGroup, &TRadioGroup::itemClicked, this, &TSetForm::ChangeDateFormat);

    MiscGroup = new QGroupBox(QStringLiteral(" Miscellaneous "), page);
    MiscGroup->setObjectName(QStringLiteral("MiscGroup"));
    MiscGroup->setGeometry(384, 122, 168, 88);
    setHelp(MiscGroup, "SET_TUN");
    auto *misc = new QGridLayout(MiscGroup);
    misc->setContentsMargins(6, 0, 6, 4);
    misc->setVerticalSpacing(2);
    BlocksSpin = spin("BlocksSpin", 0, 99, MiscGroup);
    PpmSpin = spin("PpmSpin", 0, 99, MiscGroup);
    FFTSpin = spin("FFTSpin", 1, 10, MiscGroup);
    const std::tuple<const char *, const char *, QSpinBox *> rows[] = {
        {"BlocksLbl", "Blocks to replay", BlocksSpin},
        {"PpmLbl", "Ppm correction", PpmSpin},
        {"FFTLbl", "FFT Mode", FFTSpin}};
    int row = 0;
    for (const auto &[name, caption, box] : rows) {
        setHelp(box, "SET_TUN");
        auto *l = new QLabel(QString::fromLatin1(caption), MiscGroup);
        l->setObjectName(QString::fromLatin1(name));
        misc->addWidget(l, row, 0);
        misc->addWidget(box, row++, 1);
    }
    connect(BlocksSpin, &QSpinBox::valueChanged, this, &TSetForm::ChangeBlocks);
    connect(PpmSpin, &QSpinBox::valueChanged, this, &TSetForm::ChangePPM);
    connect(FFTSpin, &QSpinBox::valueChanged, this, &TSetForm::ChangeFFT);

    BAND = new TBandSelector(page);
    BAND->setObjectName(QStringLiteral("BAND"));
    BAND->setGeometry(4, 212, 547, 48);
    BAND->setToolTip(QStringLiteral("Adjust here the bandwith that you want to be \r\ndisplayed in the "
                                    "waterfall and the spectrum analyzer"));
    setHelp(BAND, "SET_BDW");
}

void TSetForm::BuildColorsPage() {
    QWidget *page = ColorsSheet;
    const auto group = [page](const char *name, const QString &title, const char *help, QRect geometry) {
        auto *g = new QGroupBox(title, page);
        g->setObjectName(QString::fromLatin1(name));
        g->setGeometry(geometry);
        setHelp(g, help);
        return g;
    };
    const auto preview = [](const char *name, const QString &caption, QWidget *parent, QRect geometry) {
        auto *p = new TClickPanel(caption, parent);
        p->setObjectName(QString::fromLatin1(name));
        p->setGeometry(geometry);
        p->setFrameShadow(QFrame::Sunken);
        return p;
    };
    // The colour and font "buttons": small panels with a hand cursor, told apart by tag.
    const auto button = [this](const char *name, const QString &caption, int tag, QWidget *parent,
                               QRect geometry) {
        auto *b = new TClickPanel(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setCursor(Qt::PointingHandCursor);
        QFont small = b->font();
        small.setPointSize(7);
        b->setFont(small);
        b->setProperty("tag", tag);
        connect(b, &TClickPanel::clicked, this, [this, tag] {
            if (tag < 20)
                ColorClick(tag);
            else
                FontClick(tag);
        });
        return b;
    };
    const QString background = QStringLiteral("Background color");
    const QString sample = QStringLiteral("  cq cq cq de Q9ZZV Q9ZZV...");

    QGroupBox *tracks = group("TracksGroup", QStringLiteral(" Tracks "), "COL_TRK", {4, 0, 180, 92});
    ACCPanel = preview("ACCPanel", QStringLiteral("Active track"), tracks, {6, 17, 82, 22});
    OTHPanel = preview("OTHPanel", QStringLiteral("Other tracks"), tracks, {92, 17, 82, 22});
    button("ACCColorBtn", background, 10, tracks, {6, 43, 82, 20});
    button("ACCFontColorBtn", QStringLiteral("Font color"), 16, tracks, {6, 66, 82, 20});
    button("OTHColorBtn", background, 11, tracks, {92, 43, 82, 20});
    button("OTHFontColorBtn", QStringLiteral("Font color"), 17, tracks, {92, 66, 82, 20});

    const struct {
        const char *groupName, *title, *help, *panelName, *colorName, *fontName;
        QString caption;
        int colorTag;
        QRect geometry;
        TClickPanel **panel;
    } paneGroups[] = {
        {"ControlsGroup",
         " Active track panel ",
         "COL_PAN",
         "STPPanel",
         "STPColorBtn",
         "STPFontBtn",
         QStringLiteral("Controls"),
         12,
         {188, 0, 180, 70},
         &STPPanel},
        {"RXBGroup",
         " RX Buffer ",
         "COL_RUF",
         "RXBPanel",
         "RXBColorBtn",
         "RXBFontBtn",
         sample,
         13,
         {372, 0, 180, 70},
         &RXBPanel},
        {"TXBGroup",
         " TX Buffer ",
         "COL_TUF",
         "TXBPanel",
         "TXBColorBtn",
         "TXBFontBtn",
         sample,
         14,
         {188, 94, 180, 70},
         &TXBPanel},
    };
    for (const auto &g : paneGroups) {
        QGroupBox *box = group(g.groupName, QString::fromLatin1(g.title), g.help, g.geometry);
        *g.panel = preview(g.panelName, g.caption, box, {6, 17, 168, 24});
        (*g.panel)->setAlignment(g.caption == sample ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        button(g.colorName, background, g.colorTag, box, {6, 44, 82, 20});
        button(g.fontName, QStringLiteral("Font"), g.colorTag + 8, box, {92, 44, 82, 20});
    }

    QGroupBox *qso = group("QSOGroup", QStringLiteral(" QSO Box "), "COL_BOX", {372, 94, 180, 70});
    QSOBox = new QLineEdit(QStringLiteral("Q9ZZV"), qso);
    QSOBox->setObjectName(QStringLiteral("QSOBox"));
    QSOBox->setGeometry(6, 17, 168, 24);
    QSOBox->setReadOnly(true);
    button("QSOColorBtn", background, 15, qso, {6, 44, 82, 20});
    button("QSOFontBtn", QStringLiteral("Font"), 23, qso, {92, 44, 82, 20});

    QGroupBox *misc = group("DivGroup", QStringLiteral(" Miscellaneous "), "SET_DIV", {4, 94, 180, 70});
    SpecBox = new QCheckBox(QStringLiteral("Plain spectrum"), misc);
    SpecBox->setObjectName(QStringLiteral("SpecBox"));
    SpecBox->setGeometry(8, 20, 166, 20);
    HTUBox = new QCheckBox(QStringLiteral("Dispay UTC hour"), misc);
    HTUBox->setObjectName(QStringLiteral("HTUBox"));
    HTUBox->setGeometry(8, 42, 166, 20);

    QGroupBox *cursors =
        group("CursorGroup", QStringLiteral(" Waterfall cursor "), "SET_CUR", {4, 168, 180, 90});
    CursorGroup = new QButtonGroup(this);
    const char *const cursorNames[] = {"crMainBtn", "crPskBtn", "crFlecheBtn", "crCroixBtn", "crSplitBtn"};
    for (int n = 1; n <= 5; ++n) {
        auto *b = new QToolButton(cursors);
        b->setObjectName(QString::fromLatin1(cursorNames[n - 1]));
        b->setCheckable(true);
        b->setAutoRaise(true); // flat
        // The cursors are drawn for the black waterfall; show them on black.
        QPalette pal = b->palette();
        pal.setColor(QPalette::Button, Qt::black);
        pal.setColor(QPalette::Window, Qt::black);
        b->setPalette(pal);
        b->setAutoFillBackground(true);
        b->setIcon(QIcon(AppImages::cursor(n).pixmap()));
        b->setIconSize({AppImages::CursorSize, AppImages::CursorSize});
        b->setGeometry(6 + (n - 1) * 34, 28, 34, 38);
        CursorButtons[static_cast<size_t>(n - 1)] = b;
        CursorGroup->addButton(b, n);
    }
    connect(CursorGroup, &QButtonGroup::idClicked, this, &TSetForm::CursorBtnClick);

    QGroupBox *scale =
        group("ScaleGroup", QStringLiteral(" Waterfall scale intensity "), "SET_SCA", {188, 168, 364, 90});
    PBox = new TPaintBox(scale);
    PBox->setObjectName(QStringLiteral("PBox"));
    PBox->setGeometry(10, 22, 183, 20);
    PBox->setToolTip(QStringLiteral("Waterfall scale intensity"));
    PBox->onRepaint = [this] { PBoxPaint(); };
    WaterBar = new QSlider(Qt::Horizontal, scale);
    WaterBar->setObjectName(QStringLiteral("WaterBar"));
    WaterBar->setGeometry(6, 48, 352, 30);
    WaterBar->setRange(0, 255);
    WaterBar->setTickInterval(12);
    WaterBar->setTickPosition(QSlider::TicksBelow);
    WaterBar->setToolTip(QStringLiteral("Slide this bar to modify the Waterfall scale intensity"));
    connect(WaterBar, &QSlider::valueChanged, this, &TSetForm::ChangeColor);
}
