#pragma once
// The update notice as a part of the main window: the check runs on the
// window's 15-second timer, reports in the status bar's message panel and
// in a balloon of the tray icon, and owns the notice windows it opens.

#include <QObject>
#include <QPointer>

class Clock;
class Dialogs;
class QSystemTrayIcon;
class SettingsStore;
class StatusArea;
class UpdateChecker;
class QWidget;

class UpdateNotice : public QObject {
    Q_OBJECT
public:
    // The address comes from Settings/UpdateURL in store (empty: no checks).
    UpdateNotice(QWidget *window, Dialogs &dialogs, Clock &clock, StatusArea &status,
                 const SettingsStore &store, QSystemTrayIcon *tray);

    UpdateChecker &checker() const { return *m_checker; }
    // The timer's last step: decides on a check with the local minute.
    void TimerTimer();

private:
    Clock &m_clock;
    UpdateChecker *m_checker;
};
