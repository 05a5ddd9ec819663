#include "UpdateChecker.h"

#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "lang/Strings.h"
#include "update/TFileCompare.h"
#include "update/TUPDForm.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {
const char *const NewsPath = "/fichiers/update_us.txt";
const char *const DownloadedName = "update_us.txt";
const char *const PreviousName = "update_us.old";
} // namespace

bool UpdateSchedule::tick(int minute, bool connected) {
    const bool start = minute % 10 == 0 && !UpdateCheckDone && connected;
    if (start)
        UpdateCheckDone = true;
    if (minute != 0) {
        m_rearmedThisHour = false;
    } else if (!m_rearmedThisHour) {
        m_rearmedThisHour = true;
        if (!start)
            UpdateCheckDone = false;
    }
    return start;
}

QString defaultUpdateUrl() {
    return LcfLoadString(Str::AboutWebAddress) + QLatin1String(NewsPath);
}

QString updateUrl(const SettingsStore &store) {
    QString text;
    try {
        text = store.readString(StoreGroup::settings(), QStringLiteral("UpdateURL"), defaultUpdateUrl())
                   .trimmed();
    } catch (const StoreError &) {
        // An address we cannot read is no address: better no check than a
        // request to somewhere nobody chose.
        return {};
    }
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return {};
    return text;
}

UpdateChecker::UpdateChecker(Dialogs &dialogs, QWidget *owner, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_owner(owner), m_net(new QNetworkAccessManager(this)),
      m_deadline(new QTimer(this)) {
    m_cacheDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    isConnected = &UpdateChecker::IsConnected;
    // The transfer timeout only notices a silent server; a server that
    // trickles a byte now and then is stopped by this deadline on the whole.
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply)
            m_reply->abort();
    });
}

UpdateChecker::~UpdateChecker() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QString UpdateChecker::downloadedCopy() const {
    return QDir(m_cacheDir).filePath(QLatin1String(DownloadedName));
}
QString UpdateChecker::previousCopy() const {
    return QDir(m_cacheDir).filePath(QLatin1String(PreviousName));
}

bool UpdateChecker::IsConnected() {
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation *info = QNetworkInformation::instance();
    // Without a backend the system cannot tell; trying costs one request.
    if (!info)
        return true;
    return info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

void UpdateChecker::TimerTick(int minute) {
    if (m_url.isEmpty())
        return;
    // The schedule asks about the connection only at a mark, not every 15 s.
    const bool atMark = minute % 10 == 0 && !m_schedule.UpdateCheckDone;
    const bool connected = atMark && !busy() && isConnected && isConnected();
    if (m_schedule.tick(minute, connected)) {
        emit balloon(LcfLoadString(Str::UpdateBalloonTitle), LcfLoadString(Str::UpdateBalloonText));
        ConnectWebSite();
    }
}

void UpdateChecker::ConnectWebSite() {
    if (busy() || m_url.isEmpty())
        return;
    m_checking = true;
    emit statusMessage(LcfLoadString(Str::LookingForInformation), 24);
    m_body.clear();
    m_tooLarge = false;
    QNetworkRequest request{QUrl(m_url)};
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_reply = m_net->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_sizeLimit) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_body += m_reply->read(m_sizeLimit + 1 - m_body.size());
        if (m_body.size() > m_sizeLimit) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::downloadFinished);
    m_deadline->start(m_timeoutMs);
}

void UpdateChecker::downloadFinished() {
    m_deadline->stop();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_tooLarge && reply->error() == QNetworkReply::NoError)
        m_body += reply->read(m_sizeLimit + 1 - m_body.size());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_tooLarge || m_body.size() > m_sizeLimit || reply->error() != QNetworkReply::NoError ||
        (status != 0 && status != 200)) {
        fail();
        return;
    }
    // Only a complete download replaces the copies, so a failed one leaves
    // the last good copy to compare the next download with.
    QDir().mkpath(m_cacheDir);
    QFile::remove(previousCopy());
    QFile::rename(downloadedCopy(), previousCopy());
    QSaveFile out(downloadedCopy());
    if (!out.open(QIODevice::WriteOnly) || out.write(m_body) != m_body.size() || !out.commit()) {
        fail();
        return;
    }
    m_body.clear();
    compareAndOffer();
}

void UpdateChecker::fail() {
    m_body.clear();
    emit statusReset();
    done();
}

void UpdateChecker::done() {
    m_checking = false;
    emit finished();
}

void UpdateChecker::compareAndOffer() {
    bool same = true;
    try {
        TFileCompare compare;
        compare.SetFile1(previousCopy());
        compare.SetFile2(downloadedCopy());
        same = compare.Compare();
    } catch (const FileCompareError &) {
        // The first check of all has nothing to compare with: keep the copy
        // for the next one and offer nothing.
        emit statusReset();
        done();
        return;
    }
    if (same) {
        // This message stays until the next tick puts the panel back.
        emit statusMessage(LcfLoadString(Str::NoNewInformation), 23);
        done();
        return;
    }
    emit statusMessage(LcfLoadString(Str::NewInformationStatus), 22);
    if (m_dialogs.askYesNo(Dialogs::Icon::Information, LcfLoadString(Str::CaptionInternetInformation),
                           LcfLoadString(Str::NewInformationQuestion),
                           Dialogs::Answer::Yes) == Dialogs::Answer::Yes) {
        auto *notice = new TUPDForm(m_owner);
        notice->loadNews(downloadedCopy());
        notice->show();
    }
    emit statusReset();
    done();
}

QList<TUPDForm *> UpdateChecker::noticeWindows() const {
    QList<TUPDForm *> out;
    if (m_owner) {
        for (TUPDForm *w : m_owner->findChildren<TUPDForm *>(QString(), Qt::FindDirectChildrenOnly))
            out << w;
    }
    return out;
}
