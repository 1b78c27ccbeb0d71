#pragma once
// The Linux workspace services: application entries launched through GIO's
// GDesktopAppInfo, links and files opened with the desktop's default handlers
// (GIO and the shared MIME database), processes found through /proc, and
// windows asked to close, hide or come forward through the window manager.
#include "platform/WorkspaceServices.h"

#include <QList>
#include <memory>

namespace dexaro {

class AccessibilityBackend;
class WindowHider;

class GioWorkspaceServices final : public WorkspaceServices {
public:
    // Applications' windows are found through the window layer windows.
    explicit GioWorkspaceServices(AccessibilityBackend& windows);
    ~GioWorkspaceServices() override;

    void openApplication(const QString& entry, const OpenConfiguration& configuration,
                         OpenCompletion completion) override;
    bool openURL(const QUrl& url) override;
    bool openFile(const QString& path) override;
    void terminate(const RunningApplication& app) override;
    void forceTerminate(const RunningApplication& app) override;
    bool isTerminated(const RunningApplication& app) override;

private:
    std::optional<RunningApplication>
    launch(const QString& entry, const OpenConfiguration& configuration, QString* error);

    QList<quint32> windowsOf(const RunningApplication& app);

    AccessibilityBackend& m_windows;
    std::unique_ptr<WindowHider> m_hider;
};

// The desktop's workspace services for the program to hand around.
std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices(AccessibilityBackend& windows);

} // namespace dexaro
