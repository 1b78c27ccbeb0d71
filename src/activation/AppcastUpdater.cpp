#include "activation/AppcastUpdater.h"

#include "platform/Alerts.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace dexaro {

namespace {

const QString alertTitle = QStringLiteral("Software Update");
const QString checkFailed = QStringLiteral("Dexaro could not check for updates.");

// Real feeds are read over HTTPS only; plain http is allowed for the local
// machine (127.0.0.1), where tests serve their feeds.
bool isAllowedFeed(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    return url.scheme() == QLatin1String("http") &&
           QHostAddress(url.host()) == QHostAddress(QHostAddress::LocalHost);
}

QString networkFailure(QNetworkReply& reply) {
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return QStringLiteral("The update server could not be reached. Check your network "
                              "connection and try again later.");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("The update server closed the connection without answering. "
                              "Try again later.");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the request's transfer timeout
        return QStringLiteral("The update server did not answer in time. Try again later.");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("The update server's identity could not be verified, so Dexaro "
                              "did not trust its answer.");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("The update server sent Dexaro from one address to another "
                              "without reaching the update information.");
    default:
        break;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("The update server answered with an error (HTTP %1).").arg(status);
    return QStringLiteral("The update information could not be downloaded (%1).")
        .arg(reply.errorString());
}

} // namespace

AppcastUpdater::AppcastUpdater(QUrl feedURL, QString runningVersion, Alerts& alerts,
                               std::function<void(const QUrl&)> openURL, QObject* parent)
    : QObject(parent), m_feedURL(std::move(feedURL)), m_runningVersion(std::move(runningVersion)),
      m_alerts(alerts), m_openURL(std::move(openURL)), m_network(new QNetworkAccessManager(this)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_abortReason =
            QStringLiteral("The update server did not answer in time. Try again later.");
        if (m_reply)
            m_reply->abort();
    });
}

AppcastUpdater::~AppcastUpdater() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QUrl AppcastUpdater::configuredFeedURL() {
    return QUrl(QStringLiteral(DEXARO_APPCAST_URL));
}

QString AppcastUpdater::configuredVersion() {
    return QStringLiteral(DEXARO_VERSION);
}

void AppcastUpdater::checkForUpdatesInBackground() {
    // Without a feed, or with one Dexaro will not read, there is nothing to do quietly.
    if (m_feedURL.isEmpty() || !isAllowedFeed(m_feedURL) || isChecking())
        return;
    start(false);
}

void AppcastUpdater::checkForUpdates() {
    if (m_presenting)
        return; // the answer of a check is on screen already
    if (m_reply || m_answerQueued) {
        m_userInitiated = true; // a background check is under way: report its outcome
        return;
    }
    if (m_feedURL.isEmpty()) {
        m_alerts.warn(alertTitle,
                      QStringLiteral("Updates come with your system's package manager."),
                      QStringLiteral("This copy of Dexaro does not look for updates itself. "
                                     "Update it with the software manager of your system."));
        return;
    }
    if (!isAllowedFeed(m_feedURL)) {
        m_alerts.warn(alertTitle, checkFailed,
                      QStringLiteral("The update address of this build (%1) is not a secure "
                                     "https address, so Dexaro does not use it.")
                          .arg(m_feedURL.toDisplayString()));
        return;
    }
    start(true);
}

void AppcastUpdater::start(bool userInitiated) {
    m_userInitiated = userInitiated;
    m_body.clear();
    m_abortReason.clear();

    QNetworkRequest request(m_feedURL);
    // Redirects are followed, never from https to http, and only so many times.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setTransferTimeout(int(m_timeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Dexaro/%1").arg(m_runningVersion));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &AppcastUpdater::readAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &AppcastUpdater::finished);
    // The transfer timeout above restarts with every byte; this one bounds the whole check.
    m_deadline.start(m_timeout);
}

void AppcastUpdater::readAvailable() {
    if (!m_reply || !m_abortReason.isEmpty())
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > m_maxFeedSize) {
        m_abortReason = QStringLiteral("The update information is larger than Dexaro accepts "
                                       "(%1 KiB), so it was not read.")
                            .arg(m_maxFeedSize / 1024);
        m_body.clear();
        m_reply->abort();
    }
}

void AppcastUpdater::finished() {
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    m_deadline.stop();
    readAvailable();
    QString failure = m_abortReason;
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError)
        failure = networkFailure(*reply);
    const QByteArray body = std::exchange(m_body, {});
    m_reply = nullptr;
    reply->deleteLater();
    // Answer once the network code has returned: an alert runs an event loop of its own.
    m_answerQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this, body, failure] {
            m_answerQueued = false;
            presentResult(body, failure);
        },
        Qt::QueuedConnection);
}

void AppcastUpdater::presentResult(const QByteArray& body, const QString& failure) {
    if (!failure.isEmpty())
        return reportFailure(failure);
    const Appcast feed = Appcast::parse(body);
    if (!feed.error.isEmpty())
        return reportFailure(QStringLiteral("The update information is not a valid update "
                                            "feed (%1).")
                                 .arg(feed.error));
    const std::optional<AppcastItem> newest = feed.newest();
    if (!newest)
        return reportFailure(QStringLiteral("The update information lists no version that Dexaro "
                                            "can compare with its own."));
    const std::optional<int> order = compareVersions(newest->displayVersion(), m_runningVersion);
    if (!order)
        return reportFailure(QStringLiteral("Dexaro's own version (%1) is not a plain version "
                                            "number, so it cannot be compared.")
                                 .arg(m_runningVersion));

    QPointer<AppcastUpdater> alive(this);
    m_presenting = true;
    if (*order <= 0) {
        if (m_userInitiated)
            m_alerts.warn(
                alertTitle, QStringLiteral("You're up to date."),
                QStringLiteral("Dexaro %1 is the newest version available.").arg(m_runningVersion));
    } else {
        const QUrl page = newest->downloadPage();
        const QString versions = QStringLiteral("Dexaro %1 is available; you have %2.")
                                     .arg(newest->displayVersion(), m_runningVersion);
        const QString message = QStringLiteral("A new version of Dexaro is available.");
        if (!page.isValid()) {
            m_alerts.warn(alertTitle, message,
                          versions + QStringLiteral(" The update feed names no download page."));
        } else {
            const std::function<void(const QUrl&)> openURL = m_openURL;
            const int answer =
                m_alerts.ask(alertTitle, message, versions + QStringLiteral(" Download it now?"),
                             {QStringLiteral("Download"), QStringLiteral("Later")});
            if (answer == 0 && openURL)
                openURL(page);
        }
    }
    if (alive)
        m_presenting = false;
}

void AppcastUpdater::reportFailure(const QString& why) {
    if (!m_userInitiated)
        return; // a background check that fails says nothing
    QPointer<AppcastUpdater> alive(this);
    m_presenting = true;
    m_alerts.warn(alertTitle, checkFailed, why);
    if (alive)
        m_presenting = false;
}

} // namespace dexaro
