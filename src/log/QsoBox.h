#pragma once
// The QSO box and the receive pane: the fields of the contact under way, its
// Clear, Store and View buttons, and the pick-up of a word double-clicked in
// the receive pane into the call-sign or name field. Store goes through the
// ADIF dialog, View opens the log viewer.

#include <QObject>
#include <QString>
#include <functional>

class QDateTime;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class Clock;
class Dialogs;
class TADIFForm;

class QsoBox : public QObject {
    Q_OBJECT
public:
    // startupDir names the folder of the log file; window is the dialogs' parent.
    QsoBox(QWidget *parent, QWidget *window, Dialogs &dialogs, Clock &clock,
           std::function<QString()> startupDir);

    QGroupBox *QSOBox = nullptr;
    QLineEdit *TheDate = nullptr, *TheTime = nullptr, *HisCall = nullptr, *HisName = nullptr,
              *HisRep = nullptr, *TheInfo = nullptr;
    QPushButton *ClearBtn = nullptr, *StoreBtn = nullptr, *ViewBtn = nullptr;
    QPlainTextEdit *RXBuf = nullptr;
    // Made by the first Store and kept for the run, so the frequency typed
    // in it is offered again next time.
    TADIFForm *ADIFForm = nullptr;

    void ClearBtnClick();
    void StoreBtnClick();
    void ViewBtnClick();
    void ChangeCallSign();
    void CopyCallToQSO();
    QString LogFileName() const; // "Varneklog.adi" in the start-up folder
    // The date and time fields show the UTC time of the last timer tick.
    void ShowTime(const QDateTime &utc);

private:
    QWidget *m_window;
    Dialogs &m_dialogs;
    Clock &m_clock;
    std::function<QString()> m_startupDir;
};
