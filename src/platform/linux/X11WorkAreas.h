#pragma once
// Work areas on X11: _NET_WORKAREA of the current desktop cut to each monitor.
// Window managers publish one work area for the whole screen, which is wrong
// as soon as monitors differ in size; with more than one monitor each one's
// work area is the monitor minus the struts of the docks on it.
#include "platform/WorkAreas.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <mutex>

namespace dexaro {

namespace x11 {
class Connection;
}

class X11WorkAreas final : public WorkAreas {
public:
    // Create it on the main thread: it follows Qt's screens from there. Without
    // Qt on X11 it knows no work area (nullopt): callers use Qt's screens.
    X11WorkAreas();
    ~X11WorkAreas() override;

    std::optional<Monitor> primary() override;
    std::optional<Monitor> monitorAt(const QPoint& point) override;
    QList<Monitor> monitors() override;

private:
    void updateMonitors();
    // The monitors at indexes (every one for none), read in one pass.
    QList<Monitor> read(const QList<int>& indexes);

    x11::Connection* connection();

    bool m_onX11 = false;
    // Its own connection, made on first use and shared by every caller (xcb is
    // safe to share between threads); none once it broke.
    std::mutex m_connectionMutex;
    std::unique_ptr<x11::Connection> m_connection;
    bool m_connectionMade = false;
    std::mutex m_mutex;
    QList<QRect> m_monitors; // device pixels, primary first
    QStringList m_names;     // the monitors' names, in the same order
    QObject m_context;       // the screen connections live as long as this
};

} // namespace dexaro
