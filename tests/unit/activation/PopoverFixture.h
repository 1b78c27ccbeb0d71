#pragma once
// The popover's content built as the application builds it (the controller,
// its list in its scroll area) over recording fakes: launches, alerts, closes
// and placements are recorded; settings are whatever the test puts in
// `settings`. The rest of host() is set before the first show().
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "model/Packing.h"
#include "support/RecordingAlerts.h"
#include "support/RecordingWorkspaceServices.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <mutex>

namespace dexaro::test {

inline QString entry(const QString& name) {
    return QStringLiteral("file:///dexaro-test/applications/%1.desktop").arg(name);
}

inline WSListModelPtr workspace(const QString& id, const QString& name, const QStringList& apps,
                                const QStringList& urls = {}) {
    auto model = std::make_shared<WSListModel>();
    model->wsID = id;
    model->wsName = name;
    for (const QString& app : apps)
        model->apps.append(entry(app));
    for (const QString& url : urls)
        model->urlLinkAdresses.append(packLink(QStringLiteral("link"), url, markers::urlLink));
    return model;
}

class Popover {
public:
    Popover() {
        host().workspaceServices = &services;
        host().alerts = &alerts;
        host().settings = [this] {
            return settings;
        };
        host().closePopover = [this] {
            ++closes;
        };
        host().placeWindow = [this](const RunningApplication& app, PositionName position) {
            std::lock_guard guard(m_placedLock);
            m_placed.append({app, position});
        };
    }
    ~Popover() { controller.stop(); }

    StatusBarHost& host() { return controller.appDelegate; }
    StatusBarPopoverCollectionView* list() const { return controller.wsListCollectionView(); }
    StatusBarPopoverCollectionViewItem* row(const QString& wsID) const {
        return list()->itemForWorkspace(wsID);
    }
    // Lists these workspaces, building the view the first time.
    void show(const QList<WSListModelPtr>& workspaces) {
        controller.view();
        list()->wsList = workspaces;
        list()->reloadData();
    }
    // Waits for the list's workers; then runs what they handed to the main thread.
    void settle() {
        list()->workPool().waitForDone();
        QCoreApplication::processEvents();
    }
    void toggle(const QString& wsID, bool fromStatusBar = true) {
        list()->toggleWorkspace(wsID, fromStatusBar);
        settle();
    }
    QList<std::pair<RunningApplication, PositionName>> placed() {
        std::lock_guard guard(m_placedLock);
        return m_placed;
    }

    RecordingWorkspaceServices services;
    RecordingAlerts alerts;
    AppSettings settings;
    int closes = 0;
    StatusBarItemViewController controller; // after the fakes its workers use

private:
    std::mutex m_placedLock;
    QList<std::pair<RunningApplication, PositionName>> m_placed;
};

} // namespace dexaro::test
