#include "activation/WorkspaceActivation.h"

#include "activation/LaunchRules.h"
#include "model/Packing.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "positioning/AllPositionsHolder.h"
#include "shortcuts/MASShortcutBinder.h"

#include <QCoreApplication>
#include <QPointer>
#include <cstdio>
#include <mutex>

namespace dexaro {

namespace {

using SharedPtr = std::shared_ptr<WorkspaceActivation::Shared>;

// One switching-on of a workspace: what it opens, how, and what failed.
// Shared by the worker that opens the contents and the launch completions,
// which may arrive on any thread.
struct WorkspaceOpening {
    QString wsID;
    QStringList apps;
    QStringList urls;
    QStringList files;
    OpenConfiguration configuration;
    quint64 generation = 0;
    WorkspaceServices* services = nullptr;
    AllPositionsHolder* positions = nullptr;
    std::function<void(const RunningApplication&, const WindowTarget&)> placeWindow;

    std::mutex lock; // guards failedApps
    QStringList failedApps;
    // Launches still to report, plus one for the contents worker itself.
    std::atomic<int> pending{0};
};
using OpeningPtr = std::shared_ptr<WorkspaceOpening>;
using Self = QPointer<WorkspaceActivation>;

// Runs fn on the main thread with the activation, when both are still there
// and Dexaro is not quitting.
void postToMain(const SharedPtr& shared, const Self& self,
                std::function<void(WorkspaceActivation&)> fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (shared->stopped.load() || !app)
        return;
    QMetaObject::invokeMethod(
        app,
        [self, fn = std::move(fn)] {
            if (self)
                fn(*self);
        },
        Qt::QueuedConnection);
}

void showAppsNotOpened(Alerts* alerts, const std::function<void()>& closePopover,
                       const QStringList& failed) {
    if (closePopover)
        closePopover();
    if (alerts)
        alerts->warn(QStringLiteral("Workspace launching"),
                     QStringLiteral("App could not be opened!"), appsNotOpenedText(failed));
}

// Every launch has reported and the contents are open: the opening failed as
// a whole when every application failed.
void checkLaunchFailures(const SharedPtr& shared, const OpeningPtr& opening, const Self& self,
                         Alerts* alerts, const std::function<void()>& closePopover) {
    QStringList failed;
    {
        std::lock_guard guard(opening->lock);
        failed = opening->failedApps;
    }
    const QString wsID = opening->wsID;
    const bool allFailed = !failed.isEmpty() && failed.size() == opening->apps.size();
    const bool changed =
        allFailed ? shared->records.resetIf(wsID, opening->generation)
                  : shared->records.setStateIf(wsID, opening->generation, ItemStateEnum::active);
    if (!changed)
        return;
    postToMain(shared, self, [=](WorkspaceActivation& activation) {
        emit activation.stateChanged(wsID, activation.itemState(wsID));
        if (allFailed)
            showAppsNotOpened(alerts, closePopover, failed);
    });
}

struct OpeningRun {
    SharedPtr shared;
    OpeningPtr opening;
    Self self;
    Alerts* alerts;
    std::function<void()> closePopover;

    void stepDone() const {
        if (opening->pending.fetch_sub(1) == 1)
            checkLaunchFailures(shared, opening, self, alerts, closePopover);
    }

    void appLaunchFinished(const QString& entry,
                           const std::optional<RunningApplication>& app) const {
        if (!app) {
            const QString name = appDisplayName(entry);
            std::lock_guard guard(opening->lock);
            opening->failedApps.append(name);
        } else {
            WindowTarget target;
            if (opening->positions) {
                target.position = opening->positions->positionForApp(opening->wsID, entry);
                const AppTarget where = opening->positions->targetForApp(opening->wsID, entry);
                target.monitor = where.monitor;
                target.desktop = where.desktop;
            }
            // After quit the placers are going away: a late launch is only recorded.
            if (opening->placeWindow && !shared->stopped.load())
                opening->placeWindow(*app, target);
            // An opening overtaken by a deletion records nothing any more.
            shared->records.recordLaunchedApp(opening->wsID, opening->generation, *app);
        }
        stepDone();
    }

    // Applications, then web links, then files; runs on the pool. Once quit
    // is asked for, nothing further is opened.
    void openContents() const {
        WorkspaceServices* services = opening->services;
        const auto stopped = [this] {
            return shared->stopped.load();
        };
        for (const QString& entry : opening->apps) {
            if (!services || stopped()) {
                appLaunchFinished(entry, std::nullopt);
                continue;
            }
            services->openApplication(
                entry, opening->configuration,
                [run = *this, entry](std::optional<RunningApplication> app, const QString& error) {
                    // The alert names the application; the console says why.
                    if (!app)
                        std::fprintf(stderr, "Dexaro: %s was not opened: %s\n", qPrintable(entry),
                                     qPrintable(error));
                    run.appLaunchFinished(entry, app);
                });
        }
        if (services) {
            for (const QString& address : opening->urls) {
                if (stopped())
                    break;
                if (const std::optional<QUrl> url = webAddressToOpen(address))
                    services->openURL(*url);
            }
            QStringList failedFiles;
            for (const QString& path : opening->files) {
                if (stopped())
                    break;
                if (!path.isEmpty() && !services->openFile(fileLinkPath(path)))
                    failedFiles.append(path);
            }
            if (!failedFiles.isEmpty()) {
                postToMain(shared, self, [alerts = alerts, failedFiles](WorkspaceActivation&) {
                    if (alerts)
                        alerts->warn(QString(), QStringLiteral("Not opened"),
                                     failedFiles.join(QLatin1Char('\n')));
                });
            }
        }
        stepDone();
    }
};

} // namespace

WorkspaceActivation::WorkspaceActivation(ActivationServices services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {
    m_pool.setMaxThreadCount(4);
}

WorkspaceActivation::~WorkspaceActivation() {
    stop();
    if (m_services.binder)
        for (const QString& key : std::as_const(m_boundKeys))
            m_services.binder->breakBinding(key);
}

void WorkspaceActivation::stop(int waitMs) {
    m_shared->stopped.store(true);
    m_pool.waitForDone(waitMs);
}

void WorkspaceActivation::setWorkspaces(QList<WSListModelPtr> workspaces) {
    m_workspaces = std::move(workspaces);
    bindHotKeys();
    emit workspacesChanged();
}

bool WorkspaceActivation::reloadWorkspaces() {
    if (!m_services.store)
        return false;
    std::optional<QList<WSListModelPtr>> loaded = m_services.store->loadWorkspaceList();
    if (!loaded)
        return false;
    setWorkspaces(std::move(*loaded));
    return true;
}

WSListModelPtr WorkspaceActivation::workspace(const QString& wsID) const {
    for (const WSListModelPtr& workspace : m_workspaces)
        if (workspace && workspace->wsID == wsID)
            return workspace;
    return nullptr;
}

void WorkspaceActivation::bindHotKeys() {
    if (!m_services.binder)
        return;
    QSet<QString> keys;
    for (const WSListModelPtr& workspace : std::as_const(m_workspaces)) {
        if (!workspace || workspace->wsID.isEmpty())
            continue;
        const QString wsID = workspace->wsID;
        keys.insert(wsID);
        m_services.binder->bindShortcut(wsID, [self = QPointer(this), wsID] {
            if (self)
                self->toggleWorkspace(wsID, false);
        });
    }
    for (const QString& key : std::as_const(m_boundKeys))
        if (!keys.contains(key))
            m_services.binder->breakBinding(key);
    m_boundKeys = keys;
}

WorkspaceActivation::Answer WorkspaceActivation::toggleWorkspace(const QString& wsID,
                                                                 bool fromStatusBar) {
    return isOn(wsID) ? switchOff(wsID, fromStatusBar) : switchOn(wsID, fromStatusBar);
}

WorkspaceActivation::Answer WorkspaceActivation::switchOn(const QString& wsID, bool fromStatusBar) {
    const WSListModelPtr listed = workspace(wsID);
    if (isStopped())
        return Answer::stopped;
    if (!listed)
        return Answer::unknownWorkspace;
    // A workspace being switched on or off finishes that first: switching it
    // the other way meanwhile would close a half-opened workspace (or open a
    // half-closed one) and leave its records out of step.
    if (itemState(wsID) == ItemStateEnum::runningApp)
        return Answer::busy;
    if (isOn(wsID))
        return Answer::unchanged;

    auto opening = std::make_shared<WorkspaceOpening>();
    opening->wsID = wsID;
    QStringList apps =
        TemporaryGlobalDataHolder::shared().updatedAppList(wsID).value_or(listed->apps);
    // An empty stored list reads as one empty entry: nothing to launch.
    apps.removeIf([](const QString& entry) { return entry.trimmed().isEmpty(); });
    opening->apps = apps;
    opening->urls = linkAddresses(listed->urlLinkAdresses, markers::urlLink);
    opening->files = linkAddresses(listed->fileURLLinkAdresses, markers::fileLink);
    const AppSettings settings = m_services.settings ? m_services.settings() : AppSettings{};
    opening->configuration.hides = AppSettings::isOn(settings.hideApps);
    opening->configuration.createsNewApplicationInstance =
        AppSettings::isOn(settings.createNewInstance);
    opening->services = m_services.workspaceServices;
    opening->positions = m_services.positions;
    opening->placeWindow = m_services.placeWindow;
    opening->generation = m_shared->records.generation(wsID);
    opening->pending.store(static_cast<int>(opening->apps.size()) + 1);

    if (!fromStatusBar)
        closePopover();
    // The workspace's desktop first, so that what it opens appears there (a
    // desktop the window manager no longer has: the current one stays).
    if (m_services.positions && m_services.showDesktop) {
        const int desktop = m_services.positions->optionsOf(wsID).startDesktop;
        if (desktop >= 0)
            m_services.showDesktop(desktop);
    }
    m_shared->records.setState(wsID, ItemStateEnum::runningApp);
    m_shared->records.setToggleIsOn(wsID, true);
    emit switchingStarted(wsID, true);
    m_pool.start([run = OpeningRun{m_shared, opening, QPointer(this), m_services.alerts,
                                   m_services.closePopover}] { run.openContents(); });
    return Answer::switching;
}

QStringList WorkspaceActivation::switchOnMarkedWorkspaces() {
    QStringList started;
    if (!m_services.positions)
        return started;
    const QList<WSListModelPtr> listed = m_workspaces;
    for (const WSListModelPtr& ws : listed)
        if (m_services.positions->optionsOf(ws->wsID).switchOnAtStart &&
            switchOn(ws->wsID, true) == Answer::switching)
            started << ws->wsID;
    return started;
}

WorkspaceActivation::Answer WorkspaceActivation::switchOff(const QString& wsID,
                                                           bool fromStatusBar) {
    if (isStopped())
        return Answer::stopped;
    if (!workspace(wsID))
        return Answer::unknownWorkspace;
    if (itemState(wsID) == ItemStateEnum::runningApp)
        return Answer::busy;
    if (!isOn(wsID))
        return Answer::unchanged;

    // Everything recorded is closed, also applications that gave no name; a
    // workspace that launched nothing (only links) simply switches off.
    const AppSettings settings = m_services.settings ? m_services.settings() : AppSettings{};
    const bool force = AppSettings::isOn(settings.forceTerminate);
    m_shared->records.setState(wsID, ItemStateEnum::runningApp);
    const quint64 generation = m_shared->records.generation(wsID);
    // Switching off closes the popover, from its switch or a hot key alike.
    closePopover();
    emit switchingStarted(wsID, false);

    // What was launched is taken now: a deletion right after this forgets the
    // records, not what is being closed.
    const QList<RunningApplication> apps = m_shared->records.launchedApps(wsID);
    WorkspaceServices* services = m_services.workspaceServices;
    m_pool.start(
        [shared = m_shared, self = QPointer(this), services, apps, wsID, generation, force] {
            if (services) {
                for (const RunningApplication& app : apps) {
                    if (force)
                        services->forceTerminate(app);
                    else
                        services->terminate(app);
                }
            }
            if (shared->records.resetIf(wsID, generation))
                postToMain(shared, self, [wsID](WorkspaceActivation& activation) {
                    emit activation.stateChanged(wsID, activation.itemState(wsID));
                });
        });
    return Answer::switching;
}

void WorkspaceActivation::forgetWorkspace(const QString& wsID) {
    const bool wasOn = isOn(wsID) || itemState(wsID) != ItemStateEnum::inactive;
    m_shared->records.reset(wsID);
    if (wasOn)
        emit stateChanged(wsID, ItemStateEnum::inactive);
}

void WorkspaceActivation::closePopover() {
    if (m_services.closePopover)
        m_services.closePopover();
}

} // namespace dexaro
