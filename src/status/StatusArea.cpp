#include "status/StatusArea.h"

#include "base/AppImages.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "lang/Strings.h"

#include <QPainter>

namespace {
constexpr int InfoPanelHeight = 19;

void setHelp(QWidget *w, const char *keyword, int context) {
    w->setProperty("helpKeyword", QString::fromLatin1(keyword));
    w->setProperty("helpContext", context);
}
} // namespace

StatusArea::StatusArea(QWidget *parent, std::function<bool()> soundCardActive)
    : QObject(parent->window()), m_parent(parent), m_soundCardActive(std::move(soundCardActive)) {
    Infopanel = new TInfoPanel(parent);
    Infopanel->setObjectName(QStringLiteral("Infopanel"));
    setHelp(Infopanel, "LED_PNL", 26);
    Infopanel->onMouseMove = [this](int x) { PanelMove(x); };
    struct Led {
        TLed **led;
        const char *name, *caption;
        QColor color;
        int left, width;
    };
    const Led leds[] = {
        {&LedOne, "LedOne", "SoundCard", QColor(0, 255, 0), 4, 70},
        {&LedTwo, "LedTwo", "COM Port", QColor(0, 255, 0), 83, 63},
        {&RXLed, "RXLed", "Reception", QColor(0, 255, 0), 201, 67},
        {&TXLed, "TXLed", "Transmission", QColor(255, 0, 0), 280, 79},
    };
    for (const Led &l : leds) {
        *l.led = new TLed(QString::fromLatin1(l.caption), l.color, Infopanel);
        (*l.led)->setObjectName(QString::fromLatin1(l.name));
        (*l.led)->setGeometry(l.left, 2, l.width, InfoPanelHeight - 4);
    }
    LedOne->setToolTip(LcfLoadString(Str::SoundcardIdle));
    RXLed->setToolTip(LcfLoadString(Str::NoReception));
    TXLed->setToolTip(LcfLoadString(Str::NoTransmission));
    LedTwo->setCursor(Qt::PointingHandCursor);
    connect(LedTwo, &TLed::clicked, this, &StatusArea::comLampClicked);

    StatusBar = new TStatusBar(parent);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    setHelp(StatusBar, "STA_PNL", 27);
    StatusBar->onDrawPanel = [this](QPainter &p, int i, const QRect &r) { StatusBarDrawPanel(p, i, r); };
    StatusBar->onMouseMove = [this](int x, int y) { StatusMouseMove(x, y); };
    StatusMessage = LcfLoadString(Str::MakerNotice);
    StatusIcon = 22;
    LinkText = LcfLoadString(Str::MakerWebAddress);
    LinkIcon = 21;
}

void StatusArea::PostStatusMessage(const QString &text, int icon) {
    StatusMessage = text;
    StatusIcon = icon;
    StatusBar->repaint();
}

void StatusArea::setPanelText(int panel, const QString &text) {
    StatusBar->setPanelText(panel, text);
}

void StatusArea::ShowRestingTexts() {
    StatusMessage = LcfLoadString(Str::MakerNotice);
    StatusIcon = 22;
    LinkText = LcfLoadString(Str::MakerWebAddress);
    LinkIcon = 21;
    StatusBar->update();
}

void StatusArea::ShowSoundCard(bool active, const QString &hint) {
    LedOne->setLit(active);
    LedOne->setToolTip(hint);
}

void StatusArea::ShowReceiving(bool receiving, const QString &hint) {
    RXLed->setLit(receiving);
    RXLed->setToolTip(hint);
}

void StatusArea::ShowTransmitting(bool transmitting, const QString &hint) {
    TXLed->setLit(transmitting);
    TXLed->setToolTip(hint);
}

void StatusArea::StatusBarDrawPanel(QPainter &p, int panel, const QRect &r) {
    const QPalette palette = m_parent->palette();
    const qreal ratio = m_parent->devicePixelRatioF();
    p.fillRect(r, palette.color(QPalette::Button));
    auto drawIconText = [&](int icon, const QString &text) {
        p.drawPixmap(r.left() + 2, r.top() - 1, AppImages::pixmap(icon, ratio));
        p.setPen(palette.color(QPalette::WindowText));
        const QRect textRect(QPoint(r.left() + 22, r.top() + 2), r.bottomRight());
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    };
    if (panel == 3)
        drawIconText(StatusIcon, StatusMessage);
    else if (panel == 4)
        drawIconText(LinkIcon, LinkText);
    else if (panel == 5)
        p.drawPixmap(r.left() + 2, r.top() - 1, AppImages::pixmap(m_soundCardActive() ? 2 : 1, ratio));
}

void StatusArea::StatusMouseMove(int x, int) {
    int w = 0;
    for (int i = 0; i <= 4; ++i)
        w += StatusBar->panelWidth(i);
    if (x > w + 2) {
        if (m_soundCardActive())
            PostStatusMessage(LcfLoadString(Str::SoundcardActive), 2);
        else
            PostStatusMessage(LcfLoadString(Str::SoundcardInactive), 23);
    }
}

void StatusArea::PanelMove(int x) {
    if (x > Infopanel->width() - 119)
        Infopanel->setCaption(LcfLoadString(Str::LibraryCredit));
}

void StatusArea::SetComLed(int pttControl, int comPort, bool portAccepted) {
    const bool lit = portAccepted && pttControl >= 1 && pttControl <= 3;
    LedTwo->setLit(lit);
    LedTwo->setToolTip(LcfLoadString(Str::ComPortPrefix) + QString::number(comPort) +
                       LcfLoadString(lit ? Str::ComPortOpen : Str::ComPortClosed));
}
