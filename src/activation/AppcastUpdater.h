#pragma once
// The update checker: reads the appcast over HTTPS with Qt Network on the main
// thread (asynchronously) and compares its newest version with the running one.
// The background check speaks only when a newer version exists; the check the
// user asks for also says "up to date" and why a check failed.
#include "activation/Appcast.h"
#include "platform/Updater.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>

class QNetworkAccessManager;

namespace dexaro {

class Alerts;

class AppcastUpdater : public QObject, public Updater {
public:
    // feedURL may be empty: then nothing is checked and the on-demand check says
    // that updates come with the package manager. openURL opens the download page.
    AppcastUpdater(QUrl feedURL, QString runningVersion, Alerts& alerts,
                   std::function<void(const QUrl&)> openURL, QObject* parent = nullptr);
    ~AppcastUpdater() override;

    // The build's settings: DEXARO_APPCAST_URL and the project's version.
    static QUrl configuredFeedURL();
    static QString configuredVersion();

    void checkForUpdatesInBackground() override;
    void checkForUpdates() override;

    bool isChecking() const { return m_reply != nullptr || m_answerQueued || m_presenting; }
    // Limits of one check: the whole transfer, redirects included, and the answer's size.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxFeedSize(qint64 bytes) { m_maxFeedSize = bytes; }

    static constexpr int maxRedirects = 5;

private:
    void start(bool userInitiated);
    void readAvailable();
    void finished();
    void presentResult(const QByteArray& body, const QString& failure);
    void reportFailure(const QString& why);

    QUrl m_feedURL;
    QString m_runningVersion;
    Alerts& m_alerts;
    std::function<void(const QUrl&)> m_openURL;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    QString m_abortReason; // why we aborted the transfer, if we did
    bool m_userInitiated = false;
    bool m_answerQueued = false; // the transfer ended, its answer comes next
    bool m_presenting = false;   // an answer is on screen
    std::chrono::milliseconds m_timeout{15000};
    qint64 m_maxFeedSize = 1024 * 1024;
};

} // namespace dexaro
