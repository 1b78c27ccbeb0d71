#pragma once
// Shows and hides the status item's popover. It anchors the popover to the
// tray icon (or to the pointer when the tray does not say where the icon is),
// keeps it inside the work area of the monitor under the anchor, watches mouse
// presses while it is open so that a press elsewhere closes it, waits for the
// tray to place the icon before the first show, and ignores the click on a
// host-drawn icon that has just closed it.
#include "platform/Popover.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>

class QWidget;
class QWindow;

namespace dexaro {

class EventMonitor;
class Platform;
class StatusItem;

class PopoverPresenter : public QObject {
    Q_OBJECT
public:
    // statusItem may be absent (no tray): the popover then opens at the pointer.
    PopoverPresenter(Platform& platform, StatusItem* statusItem, QWidget* content,
                     QObject* parent = nullptr);
    ~PopoverPresenter() override;

    Popover* popover() const { return m_popover; }
    bool isShown() const;
    bool hasEventMonitors() const { return m_localMonitor || m_globalMonitor; }

    // A click on the status item: closes the popover when shown, else shows it.
    void toggleFromStatusItem();
    void show();
    // Closes it when shown; nothing otherwise.
    void close();
    // The first show: once the tray has placed the icon (or after a short wait).
    void showWhenIconIsPlaced();

    // A press in the window that this answers closes the popover (the main
    // window); presses in other windows of ours leave it open.
    void setClosingWindow(std::function<QWindow*()> window) { m_closingWindow = std::move(window); }

    // The work area around a point, in Qt's coordinates.
    QRect workAreaAt(const QPoint& point) const;

signals:
    void shown();
    void closed();

private:
    void iconGeometryChanged();
    void localMouseDown(QWindow* window);
    void removeEventMonitors();

    Platform& m_platform;
    StatusItem* m_statusItem;
    QPointer<Popover> m_popover;
    std::unique_ptr<EventMonitor> m_globalMonitor;
    std::unique_ptr<EventMonitor> m_localMonitor;
    std::function<QWindow*()> m_closingWindow;
    // When the global monitor last closed the popover (focus lost, or a press
    // outside Dexaro): a click on an icon that the tray host draws is such a
    // press, and must not open the popover again at once.
    QElapsedTimer m_globalClose;
    bool m_waitingForIcon = false;
};

} // namespace dexaro
