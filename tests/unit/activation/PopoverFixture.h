#pragma once
// A popover list over recording fakes: launches, alerts, closes and placements
// are recorded; settings are whatever the test puts in `settings`.
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
    return QStringLiteral("file:///usr/share/applications/%1.desktop").arg(name);
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

class PopoverList : public ::testing::Test {
protected:
    void SetUp() override {
        host.workspaceServices = &services;
        host.alerts = &alerts;
        host.settings = [this] {
            return settings;
        };
        host.closePopover = [this] {
            ++popoverCloses;
        };
        host.placeWindow = [this](const RunningApplication& app, PositionName position) {
            std::lock_guard guard(placedLock);
            placed.append({app, position});
        };
        list = std::make_unique<StatusBarPopoverCollectionView>();
        list->resize(345, 400);
    }
    void TearDown() override {
        if (list)
            list->stop();
    }

    // A fresh list over fresh fakes, for the next row of a table.
    void restart() {
        TearDown();
        services.clear();
        alerts.shown.clear();
        popoverCloses = 0;
        settings = {};
        {
            std::lock_guard guard(placedLock);
            placed.clear();
        }
        SetUp();
    }
    void show(const QList<WSListModelPtr>& workspaces) {
        list->setHost(host);
        list->wsList = workspaces;
        list->reloadData();
    }
    // Waits for the list's workers; then runs what they handed to the main thread.
    void settle() {
        list->workPool().waitForDone();
        QCoreApplication::processEvents();
    }
    void toggle(const QString& wsID, bool fromStatusBar = true) {
        list->toggleWorkspace(wsID, fromStatusBar);
        settle();
    }
    StatusBarPopoverCollectionViewItem* row(const QString& wsID) {
        return list->itemForWorkspace(wsID);
    }

    RecordingWorkspaceServices services;
    RecordingAlerts alerts;
    AppSettings settings;
    StatusBarHost host;
    int popoverCloses = 0;
    std::mutex placedLock;
    QList<std::pair<RunningApplication, PositionName>> placed;
    std::unique_ptr<StatusBarPopoverCollectionView> list;
};

} // namespace dexaro::test
