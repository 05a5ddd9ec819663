#pragma once
// The bottom of the main window: the information panel with its four lamps
// and the six-panel status bar. It owns the message and link texts drawn in
// panels 3 and 4; every part that reports to the operator goes through here.

#include <QObject>
#include <QString>
#include <functional>

class QPainter;
class QRect;
class QWidget;
class TInfoPanel;
class TLed;
class TStatusBar;

class StatusArea : public QObject {
    Q_OBJECT
public:
    // soundCardActive tells the sound-card panel which picture to show.
    StatusArea(QWidget *parent, std::function<bool()> soundCardActive);

    // Controls (component names are their objectName).
    TInfoPanel *Infopanel = nullptr;
    TLed *LedOne = nullptr, *LedTwo = nullptr, *RXLed = nullptr, *TXLed = nullptr;
    TStatusBar *StatusBar = nullptr;

    // What panels 3 (message) and 4 (link) show.
    QString StatusMessage;
    int StatusIcon = 22;
    QString LinkText;
    int LinkIcon = 21;

    void PostStatusMessage(const QString &text, int icon);
    // Text of one of the plain panels 0..2.
    void setPanelText(int panel, const QString &text);
    // Back to the maker's notice and address in panels 3 and 4.
    void ShowRestingTexts();
    // The lamps the sound-card link drives: lit or not, with their hints.
    void ShowSoundCard(bool active, const QString &hint);
    void ShowReceiving(bool receiving, const QString &hint);
    void ShowTransmitting(bool transmitting, const QString &hint);
    // Lit while the PTT uses a serial line (PTTControl 1..3) on a port the
    // library accepted.
    void SetComLed(int pttControl, int comPort, bool portAccepted);

    void StatusBarDrawPanel(QPainter &painter, int panel, const QRect &rect);
    void StatusMouseMove(int x, int y);
    void PanelMove(int x);

signals:
    // The COM lamp was clicked: the operator wants the port settings.
    void comLampClicked();

private:
    QWidget *m_parent;
    std::function<bool()> m_soundCardActive;
};
