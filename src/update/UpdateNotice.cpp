#include "UpdateNotice.h"

#include "base/Clock.h"
#include "lang/Strings.h"
#include "status/StatusArea.h"
#include "update/UpdateChecker.h"

#include <QSystemTrayIcon>
#include <QWidget>

UpdateNotice::UpdateNotice(QWidget *window, Dialogs &dialogs, Clock &clock, StatusArea &status,
                           const SettingsStore &store, QSystemTrayIcon *tray)
    : QObject(window), m_clock(clock), m_checker(new UpdateChecker(dialogs, window, this)) {
    m_checker->setUrl(updateUrl(store));
    connect(m_checker, &UpdateChecker::statusMessage, &status, &StatusArea::PostStatusMessage);
    connect(m_checker, &UpdateChecker::statusReset, &status,
            [&status] { status.PostStatusMessage(LcfLoadString(Str::MakerNotice), 22); });
    QPointer<QSystemTrayIcon> trayIcon = tray;
    connect(m_checker, &UpdateChecker::balloon, this, [trayIcon](const QString &title, const QString &text) {
        if (trayIcon && trayIcon->isVisible())
            trayIcon->showMessage(title, text, QSystemTrayIcon::Information, 10000);
    });
}

void UpdateNotice::TimerTimer() {
    m_checker->TimerTick(m_clock.localNow().time().minute());
}
