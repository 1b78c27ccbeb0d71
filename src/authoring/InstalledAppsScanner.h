#pragma once
// The installed-application scan of one screen (the Creator or the Editor):
// runs scanApplicationFolders off the GUI thread, never two at once (a request
// while one runs gives exactly one more run after it), and hands over only
// finished lists, on the main thread. Problems are told with one alert per
// kind and scan, never one per entry, under the screen's own title; a given
// problem (an entry that cannot be read, a folder that cannot be listed) is
// told once per run of Dexaro, however often either screen scans again.
#include "authoring/InstalledAppsScan.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace dexaro {

class Alerts;
class DesktopEntries;

class InstalledAppsScanner : public QObject {
    Q_OBJECT
public:
    // scanDefaultApps is read on the main thread when a scan starts ("0" leaves the
    // distribution's own applications out). alertTitle is the screen's.
    InstalledAppsScanner(DesktopEntries& entries, Alerts& alerts,
                         std::function<QString()> scanDefaultApps, QString alertTitle,
                         QObject* parent = nullptr);
    // A scan still running is left to finish on its own; its result is dropped.
    ~InstalledAppsScanner() override;

    void scanInstalledApps();            // asynchronous
    const InstalledApps& result() const; // the last finished scan (empty before)
    bool isScanning() const;

signals:
    void scanFinished(); // main thread; result() is the new list

private:
    struct Link;
    void start();
    void finish(InstalledAppsScanResult result);
    void report(const InstalledAppsScanResult& result);

    DesktopEntries& m_entries;
    Alerts& m_alerts;
    std::function<QString()> m_scanDefaultApps;
    QString m_alertTitle;
    InstalledApps m_result;
    bool m_scanning = false;
    bool m_again = false;
    std::shared_ptr<Link> m_link;
};

} // namespace dexaro
