#pragma once
// An X client that a test starts with an argument list (xterm, xclock), and
// kills when it goes.
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QProcess>

namespace dexaro::test {

class XClient {
public:
    explicit XClient(const QString& program, const QStringList& arguments = {}) {
        process.start(program, arguments);
        process.waitForStarted(20000);
    }
    ~XClient() {
        process.kill();
        process.waitForFinished(10000);
    }
    qint64 pid() const { return process.processId(); }
    // Its managed, mapped window, once there; XCB_NONE when none came.
    xcb_window_t window(X11Probe& probe) {
        xcb_window_t found = XCB_NONE;
        waitUntil([&] { return (found = probe.windowOf(pid())) != XCB_NONE; }, 30000);
        return found;
    }

    QProcess process;
};

} // namespace dexaro::test
