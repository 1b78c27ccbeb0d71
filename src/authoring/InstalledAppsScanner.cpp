#include "authoring/InstalledAppsScanner.h"

#include "platform/Alerts.h"
#include "platform/DesktopEntries.h"

#include <QMetaObject>
#include <QPointer>
#include <QRunnable>
#include <QSet>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace dexaro {
namespace {

const QString couldNotList = QStringLiteral("Could not get installed apps' list!");
constexpr int shownProblems = 3;

// The first few problems, one a line, and how many more there are.
QString summary(const QStringList& problems) {
    QStringList lines = problems.mid(0, shownProblems);
    if (problems.size() > shownProblems)
        lines.append(QStringLiteral("and %1 more").arg(problems.size() - shownProblems));
    return lines.join(QLatin1Char('\n'));
}

// Scans outlive the scanner that asked for them when it is destroyed first;
// the program waits for them when this pool goes at exit.
QThreadPool& scanPool() {
    static QThreadPool pool;
    return pool;
}

// The problems already told in this run, by either screen's scanner. Used on
// the main thread only.
QStringList untold(const QStringList& problems) {
    static QSet<QString> told;
    QStringList fresh;
    for (const QString& problem : problems)
        if (!told.contains(problem)) {
            told.insert(problem);
            fresh.append(problem);
        }
    return fresh;
}

} // namespace

// The worker's way back to its scanner, cut when the scanner is destroyed.
struct InstalledAppsScanner::Link {
    std::mutex mutex;
    InstalledAppsScanner* scanner = nullptr;
};

InstalledAppsScanner::InstalledAppsScanner(DesktopEntries& entries, Alerts& alerts,
                                           std::function<QString()> scanDefaultApps,
                                           QString alertTitle, QObject* parent)
    : QObject(parent), m_entries(entries), m_alerts(alerts),
      m_scanDefaultApps(std::move(scanDefaultApps)), m_alertTitle(std::move(alertTitle)),
      m_link(std::make_shared<Link>()) {
    m_link->scanner = this;
}

InstalledAppsScanner::~InstalledAppsScanner() {
    const std::lock_guard lock(m_link->mutex);
    m_link->scanner = nullptr;
}

void InstalledAppsScanner::scanInstalledApps() {
    if (m_scanning) {
        m_again = true;
        return;
    }
    start();
}

const InstalledApps& InstalledAppsScanner::result() const {
    return m_result;
}

bool InstalledAppsScanner::isScanning() const {
    return m_scanning;
}

void InstalledAppsScanner::start() {
    m_scanning = true;
    // Everything the worker needs is its own: the scanner may go first.
    std::shared_ptr<DesktopEntryReader> reader = m_entries.makeReader();
    const QStringList folders = m_entries.applicationFolders();
    const QString scanDefaultApps = m_scanDefaultApps ? m_scanDefaultApps() : QString();
    scanPool().start([link = m_link, reader, folders, scanDefaultApps]() mutable {
        InstalledAppsScanResult result = scanApplicationFolders(*reader, folders, scanDefaultApps);
        reader.reset();
        const std::lock_guard lock(link->mutex);
        // Posted while the scanner cannot be destroyed; should it go before
        // the call runs, Qt drops the call with it.
        if (InstalledAppsScanner* scanner = link->scanner)
            QMetaObject::invokeMethod(
                scanner,
                [scanner, result = std::move(result)]() mutable {
                    scanner->finish(std::move(result));
                },
                Qt::QueuedConnection);
    });
}

void InstalledAppsScanner::finish(InstalledAppsScanResult result) {
    m_result = std::move(result.installed);
    m_scanning = false;
    // The run asked for meanwhile will find the same problems: tell them once.
    const bool again = std::exchange(m_again, false);
    if (again)
        start();
    // The list first, so that the screen is filled behind a modal alert.
    const QPointer<InstalledAppsScanner> self(this);
    emit scanFinished();
    if (self && !again)
        report(result);
}

void InstalledAppsScanner::report(const InstalledAppsScanResult& result) {
    const QStringList folders = untold(result.unlistableFolders);
    const QStringList entries = untold(result.unreadableEntries);
    if (!folders.isEmpty())
        m_alerts.warn(m_alertTitle, QStringLiteral("Application scanning"),
                      couldNotList + QLatin1Char('\n') + summary(folders));
    if (!entries.isEmpty())
        m_alerts.warn(m_alertTitle, couldNotList, summary(entries));
}

} // namespace dexaro
