#include "platform/linux/LimitedWindows.h"

#include "platform/Alerts.h"

#include <atomic>

namespace dexaro {

namespace {

class LimitedWindows final : public Windows {
public:
    LimitedWindows(Alerts& alerts, std::unique_ptr<Windows> xwayland, QString limit)
        : m_alerts(alerts), m_xwayland(std::move(xwayland)), m_limit(std::move(limit)) {}

    bool isAvailable(bool prompt) override {
        if (prompt && !m_explained.exchange(true)) {
            qWarning("Dexaro: %s", qPrintable(m_limit));
            m_alerts.warn(QStringLiteral("Dexaro positions"),
                          QStringLiteral("Windows cannot be placed"), m_limit);
        }
        return m_xwayland && m_xwayland->isAvailable(false);
    }
    QString placementLimit() override { return m_limit; }

    QList<WindowInfo> windows() override {
        return m_xwayland ? m_xwayland->windows() : QList<WindowInfo>{};
    }
    std::optional<WindowInfo> window(WindowId id) override {
        return m_xwayland ? m_xwayland->window(id) : std::nullopt;
    }
    quint64 appearanceMark() override { return m_xwayland ? m_xwayland->appearanceMark() : 0; }
    std::optional<QRect> frame(WindowId id) override {
        return m_xwayland ? m_xwayland->frame(id) : std::nullopt;
    }
    std::optional<QRect> setFrame(WindowId id, const QRect& frame) override {
        return m_xwayland ? m_xwayland->setFrame(id, frame) : std::nullopt;
    }
    bool close(WindowId id) override { return m_xwayland && m_xwayland->close(id); }
    bool iconify(WindowId id) override { return m_xwayland && m_xwayland->iconify(id); }
    bool raise(WindowId id) override { return m_xwayland && m_xwayland->raise(id); }
    bool activate(WindowId id) override { return m_xwayland && m_xwayland->activate(id); }
    int desktopCount() override { return m_xwayland ? m_xwayland->desktopCount() : 0; }
    QStringList desktopNames() override {
        return m_xwayland ? m_xwayland->desktopNames() : QStringList{};
    }
    int currentDesktop() override { return m_xwayland ? m_xwayland->currentDesktop() : -1; }
    std::optional<int> desktopOf(WindowId id) override {
        return m_xwayland ? m_xwayland->desktopOf(id) : std::nullopt;
    }
    bool moveToDesktop(WindowId id, int desktop) override {
        return m_xwayland && m_xwayland->moveToDesktop(id, desktop);
    }
    bool showDesktop(int desktop) override {
        return m_xwayland && m_xwayland->showDesktop(desktop);
    }
    bool isOfProcessTree(qint64 windowPid, qint64 root) override {
        return m_xwayland && m_xwayland->isOfProcessTree(windowPid, root);
    }

    struct NoSubscription final : WindowSubscription {};
    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        if (m_xwayland)
            return m_xwayland->subscribe(std::move(listener));
        return std::make_unique<NoSubscription>();
    }
    quint64 roundTrips() const override { return m_xwayland ? m_xwayland->roundTrips() : 0; }

private:
    Alerts& m_alerts;
    std::unique_ptr<Windows> m_xwayland;
    QString m_limit;
    std::atomic<bool> m_explained{false};
};

} // namespace

QString limitedPlacementText(const QString& desktopName, bool withXWayland) {
    if (withXWayland)
        return QStringLiteral("Dexaro cannot move the windows of Wayland applications in this %1 "
                              "session; only X11 applications (through XWayland) are placed. "
                              "Workspaces still open their applications, links and files.")
            .arg(desktopName);
    return QStringLiteral("Dexaro cannot move windows in this %1 session, so placements are not "
                          "applied. Workspaces still open their applications, links and files.")
        .arg(desktopName);
}

std::unique_ptr<Windows> makeLimitedWindows(Alerts& alerts, std::unique_ptr<Windows> xwayland,
                                            const QString& desktopName) {
    QString limit = limitedPlacementText(desktopName, xwayland != nullptr);
    return std::make_unique<LimitedWindows>(alerts, std::move(xwayland), std::move(limit));
}

} // namespace dexaro
