#pragma once
// Switching as the program builds it (WorkspaceActivation) over recording
// fakes: launches, alerts, closes of the popover and placements are recorded;
// settings are whatever the test puts in `settings`. The popover's controller
// and list over the same activation are built only when a test asks for them.
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "activation/WorkspaceActivation.h"
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

class Activation {
public:
    // Extra services a test gives before the activation is made.
    explicit Activation(const std::function<void(ActivationServices&)>& more = {}) {
        ActivationServices s;
        s.workspaceServices = &services;
        s.alerts = &alerts;
        s.settings = [this] {
            return settings;
        };
        s.closePopover = [this] {
            ++closes;
        };
        s.placeWindow = [this](const RunningApplication& app, const WindowTarget& target) {
            std::lock_guard guard(m_placedLock);
            m_placed.append({app, target});
        };
        if (more)
            more(s);
        activation = std::make_unique<WorkspaceActivation>(std::move(s));
    }
    ~Activation() {
        controller.reset();
        if (activation)
            activation->stop();
    }

    // Waits for the workers; then runs what they handed to the main thread.
    void settle() {
        activation->waitForWorkers();
        QCoreApplication::processEvents();
    }
    void toggle(const QString& wsID, bool fromStatusBar = true) {
        activation->toggleWorkspace(wsID, fromStatusBar);
        settle();
    }
    QList<std::pair<RunningApplication, WindowTarget>> placed() {
        std::lock_guard guard(m_placedLock);
        return m_placed;
    }

    // The popover's content over this activation, built on first use.
    StatusBarItemViewController& popover() {
        if (!controller)
            controller = std::make_unique<StatusBarItemViewController>(*activation);
        controller->view();
        return *controller;
    }
    StatusBarPopoverCollectionView* list() { return popover().wsListCollectionView(); }
    StatusBarPopoverCollectionViewItem* row(const QString& wsID) {
        return list()->itemForWorkspace(wsID);
    }

    RecordingWorkspaceServices services;
    RecordingAlerts alerts;
    AppSettings settings;
    int closes = 0;
    std::unique_ptr<WorkspaceActivation> activation; // after the fakes its workers use
    std::unique_ptr<StatusBarItemViewController> controller;

private:
    std::mutex m_placedLock;
    QList<std::pair<RunningApplication, WindowTarget>> m_placed;
};

} // namespace dexaro::test
