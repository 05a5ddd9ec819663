#include "TAboutForm.h"

#include "about/SystemInfo.h"
#include "about/TLedMatrix.h"
#include "about/TSysInfoForm.h"
#include "base/AppImages.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QFrame>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

namespace {
// Colours as the original stored them: 24-bit values with red in the lowest byte.
QColor fromBgr(uint32_t v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}
const QColor PanelColor = fromBgr(8165509);  // red 133, green 152, blue 124
const QColor PanelShadow = fromBgr(6190950); // the panel's bevel shading

// The small picture beside the buttons: the program's icon on a radio-green band.
QPixmap aboutPicture() {
    QPixmap pm(114, 41);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 41);
    g.setColorAt(0, PanelColor.lighter(130));
    g.setColorAt(1, PanelShadow);
    p.fillRect(pm.rect(), g);
    p.drawPixmap(4, 4, AppImages::appIcon().pixmap(33, 33));
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x10, 0x20, 0x10));
    p.drawText(QRect(40, 0, 72, 41), Qt::AlignCenter, QStringLiteral("PSK31"));
    return pm;
}
} // namespace

TWebLabel::TWebLabel(QWidget *parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
    setHot(false);
}

void TWebLabel::setAddress(const QString &address) {
    m_address = address;
    setText(address);
}

void TWebLabel::setHot(bool hot) {
    m_hot = hot;
    QFont f = font();
    f.setUnderline(true);
    f.setBold(hot);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, hot ? QColor(Qt::blue) : QColor(0x00, 0x00, 0x80));
    setPalette(pal);
}

void TWebLabel::enterEvent(QEnterEvent *e) {
    setHot(true);
    QLabel::enterEvent(e);
}

void TWebLabel::leaveEvent(QEvent *e) {
    setHot(false);
    QLabel::leaveEvent(e);
}

void TWebLabel::mouseReleaseEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit activated(m_address);
    QLabel::mouseReleaseEvent(e);
}

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("ABT_BTN"));
    setWindowTitle(LcfLoadString(Str::AboutCaption));
    setFixedSize(396, 228);
    totalMemory = [] { return totalPhysicalMemory(); };
    openAddress = [](const QString &a) { QDesktopServices::openUrl(QUrl::fromUserInput(a)); };

    DisplayPanel = new QFrame(this);
    DisplayPanel->setObjectName(QStringLiteral("DisplayPanel"));
    DisplayPanel->setGeometry(0, 0, 396, 130);
    DisplayPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    DisplayPanel->setLineWidth(2);
    DisplayPanel->setAutoFillBackground(true);
    QPalette pal = DisplayPanel->palette();
    pal.setColor(QPalette::Window, PanelColor);
    pal.setColor(QPalette::Light, PanelColor.lighter(125));
    pal.setColor(QPalette::Dark, PanelShadow);
    pal.setColor(QPalette::Shadow, PanelShadow.darker(130));
    DisplayPanel->setPalette(pal);

    MAINLabel = new QLabel(DisplayPanel);
    MAINLabel->setObjectName(QStringLiteral("MAINLabel"));
    MAINLabel->setGeometry(10, 6, 376, 118);
    MAINLabel->setWordWrap(true);
    MAINLabel->setAlignment(Qt::AlignCenter);
    MAINLabel->setAttribute(Qt::WA_TranslucentBackground);
    QFont times(QStringLiteral("Times New Roman"));
    times.setStyleHint(QFont::Serif);
    times.setPointSize(10);
    MAINLabel->setFont(times);
    MAINLabel->setText(LcfLoadString(Str::AboutCredits));
    MAINLabel->installEventFilter(this);

    VRM = new TLedMatrix(this);
    VRM->setObjectName(QStringLiteral("VRM"));
    VRM->setGeometry(2, 132, 392, 30);
    VRM->setCells(24);

    Picture = new QLabel(this);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setGeometry(4, 166, 114, 41);
    Picture->setPixmap(aboutPicture());

    SysInfoBtn =
        new QPushButton(AppImages::icon(AppImages::Information), QStringLiteral("System info"), this);
    SysInfoBtn->setObjectName(QStringLiteral("SysInfoBtn"));
    SysInfoBtn->setGeometry(126, 168, 130, 37);
    SysInfoBtn->setAutoDefault(false);
    connect(SysInfoBtn, &QPushButton::clicked, this, &TAboutForm::SysInfoBtnClick);

    OKBtn = new QPushButton(QStringLiteral("QSL"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(262, 168, 130, 37);
    QFont bold = OKBtn->font();
    bold.setBold(true);
    OKBtn->setFont(bold);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    WebLabel = new TWebLabel(this);
    WebLabel->setObjectName(QStringLiteral("WebLabel"));
    WebLabel->setGeometry(0, 210, 396, 17);
    WebLabel->setAddress(LcfLoadString(Str::AboutWebAddress));
    connect(WebLabel, &TWebLabel::activated, this, [this](const QString &a) {
        if (openAddress)
            openAddress(a);
        CloseForm();
    });
}

void TAboutForm::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    TranslateForm(this);
    ShowAboutForm();
}

void TAboutForm::ShowAboutForm() {
    VRM->setText(memoryText(totalMemory ? totalMemory() : 0));
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == MAINLabel && event->type() == QEvent::MouseButtonRelease) {
        CloseForm();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::CloseForm() {
    accept();
}

void TAboutForm::SysInfoBtnClick() {
    auto *w = new TSysInfoForm(this);
    w->show();
}

QList<TSysInfoForm *> TAboutForm::sysInfoWindows() const {
    return findChildren<TSysInfoForm *>(QString(), Qt::FindDirectChildrenOnly);
}
