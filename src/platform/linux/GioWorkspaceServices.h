#pragma once
// The Linux workspace services: application entries launched through GIO's
// GDesktopAppInfo, links and files opened with the desktop's default handlers
// (GIO and the shared MIME database), processes found through /proc, and the
// windows of a launch (LaunchWindows.h) asked to close, hide or come forward
// through the window layer.
#include "platform/WorkspaceServices.h"

#include <QList>
#include <chrono>
#include <memory>
#include <mutex>

namespace dexaro {

class Windows;
class WindowSubscription;
struct WindowInfo;

class GioWorkspaceServices final : public WorkspaceServices {
public:
    // How long the windows of a hidden launch are iconified as they appear.
    explicit GioWorkspaceServices(Windows& windows,
                                  std::chrono::milliseconds hideFor = std::chrono::seconds(20));
    ~GioWorkspaceServices() override;

    void openApplication(const QString& entry, const OpenConfiguration& configuration,
                         OpenCompletion completion) override;
    bool openURL(const QUrl& url) override;
    bool openFile(const QString& path) override;
    void terminate(const RunningApplication& app) override;
    void forceTerminate(const RunningApplication& app) override;
    bool isTerminated(const RunningApplication& app) override;
    QStringList entriesOfWindows(const QList<WindowInfo>& windows,
                                 const QStringList& entries) override;

private:
    struct Hiding;
    std::optional<RunningApplication>
    launch(const QString& entry, const OpenConfiguration& configuration, QString* error);
    void hideAsTheyAppear(const RunningApplication& app);
    void windowAppeared(const WindowInfo& window);
    // The windows of the launch, without those that another launch made here
    // shows for certain (by its startup id or its process): two launches of
    // one application in two workspaces each close their own.
    QList<WindowInfo> windowsOf(const RunningApplication& app, bool ownProcess);

    Windows& m_windows;
    std::chrono::milliseconds m_hideFor;
    std::mutex m_mutex;
    QList<std::shared_ptr<Hiding>> m_hiding;
    quint64 m_launches = 0;
    QList<RunningApplication> m_recent; // the latest launches made here
    std::unique_ptr<WindowSubscription> m_subscription;
};

// The desktop's workspace services for the program to hand around.
std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices(Windows& windows);

} // namespace dexaro
