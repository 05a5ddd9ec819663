#pragma once
// The periodic look for news on the maker's web server.
//
// On the main window's 15-second timer, at a ten-minute mark of the clock and
// while the computer is online, one check downloads the news file, compares
// it with the copy fetched the time before and, when it has changed, offers
// to show it in a notice window. The download never blocks the window: it
// runs on Qt's network stack with a time limit and a size limit, and the
// check goes on when it ends. The two copies live in the per-user cache
// folder.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class Dialogs;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class SettingsStore;
class TUPDForm;

// When the timer starts a check: at a minute that is a multiple of 10, not
// yet done, and online. A check sets the flag; the first tick of minute 0
// that did not start one clears it after its own decision, so checks come at
// the first mark after start and then on the hour. The timer ticks four times
// a minute: only one tick per minute 0 may re-arm, or one hour could see
// several checks.
struct UpdateSchedule {
    bool UpdateCheckDone = false;
    // Returns true when a check is to start now (and sets the flag).
    bool tick(int minute, bool connected);

private:
    bool m_rearmedThisHour = false;
};

// The news file's address: Settings/UpdateURL, by default the About box's
// web address + "/fichiers/update_us.txt". Empty (the check is off) when the
// setting is empty, unreadable or not an http(s) address.
QString updateUrl(const SettingsStore &store);
QString defaultUpdateUrl();

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 20000;
    static constexpr qint64 DefaultSizeLimit = 1024 * 1024;

    // owner: the main window; it owns the question box and the notice windows.
    UpdateChecker(Dialogs &dialogs, QWidget *owner, QObject *parent = nullptr);
    ~UpdateChecker() override;

    void setUrl(const QString &url) { m_url = url; }
    QString url() const { return m_url; }
    // Folder of the two copies; by default the per-user cache folder.
    void setCacheDir(const QString &dir) { m_cacheDir = dir; }
    QString cacheDir() const { return m_cacheDir; }
    QString downloadedCopy() const;
    QString previousCopy() const;
    void setTimeout(int ms) { m_timeoutMs = ms; }
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    // Whether the system reports an Internet connection; tests replace it.
    std::function<bool()> isConnected;

    // The timer's step: decides with the local minute and starts a check.
    void TimerTick(int minute);
    // Starts one check; returns at once, the check ends with finished().
    void ConnectWebSite();
    // From the start of a check to its end, question box included.
    bool busy() const { return m_checking; }
    UpdateSchedule &schedule() { return m_schedule; }
    // The notice windows opened so far and still open.
    QList<TUPDForm *> noticeWindows() const;

    // The system's answer where it has one; online when it cannot tell.
    static bool IsConnected();

signals:
    // For the status bar's message panel.
    void statusMessage(const QString &text, int icon);
    // Back to the panel's normal text and icon.
    void statusReset();
    void balloon(const QString &title, const QString &text);
    void finished();

private:
    void downloadFinished();
    void fail();
    void compareAndOffer();
    void done();

    Dialogs &m_dialogs;
    QPointer<QWidget> m_owner;
    UpdateSchedule m_schedule;
    QString m_url;
    QString m_cacheDir;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_sizeLimit = DefaultSizeLimit;
    QNetworkAccessManager *m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer *m_deadline;
    QByteArray m_body;
    bool m_tooLarge = false;
    bool m_checking = false;
};
