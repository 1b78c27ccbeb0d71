#pragma once
// The real Dexaro program started in the test session, and the helpers its
// tests share: the program's tray icon and popover as another client sees
// them.
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdoTool.h"

#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

namespace dexaro::test {

inline const QString dexaroProgram = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");

// A command-line tool's standard output, trimmed.
inline QString runTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000))
        return QStringLiteral("<%1 did not finish>").arg(program);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// Dexaro started with its data and configuration in a temporary folder.
class DexaroSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(probe.ok()) << "no X display";
        storePath = home.filePath(QStringLiteral("data/Dexaro/Dexaro.sqlite"));
    }
    void TearDown() override {
        if (dexaro.state() != QProcess::NotRunning) {
            dexaro.kill();
            dexaro.waitForFinished(30000);
        }
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }

    void startDexaro() {
        dexaro.setProcessEnvironment(environment());
        dexaro.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        dexaro.start(dexaroProgram, {});
        ASSERT_TRUE(dexaro.waitForStarted(30000));
    }
    // Started, with its icon in the tray and the popover open as after every start.
    void startWithPopoverOpen() {
        ASSERT_NO_FATAL_FAILURE(startDexaro());
        ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }, 30000))
            << "no icon of Dexaro's in tint2's tray";
        ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 30000))
            << "the popover is not open after start";
    }
    bool popoverClosed() {
        return waitUntil([&] { return visiblePopover() == XCB_NONE; });
    }
    bool popoverOpened() {
        return waitUntil([&] { return visiblePopover() != XCB_NONE; });
    }

    // Dexaro's XEmbed icon: a window of its process with _XEMBED_INFO that a
    // tint2 panel has taken in.
    xcb_window_t trayIcon() {
        for (xcb_window_t window : probe.descendants(probe.root())) {
            if (probe.pid(window) != uint32_t(dexaro.processId()) ||
                !probe.hasProperty(window, "_XEMBED_INFO"))
                continue;
            for (xcb_window_t up = probe.parent(window); up && up != probe.root();
                 up = probe.parent(up)) {
                if (probe.wmClass(up).contains(QStringLiteral("tint2"), Qt::CaseInsensitive))
                    return window;
            }
        }
        return XCB_NONE;
    }

    // A managed, mapped window of the process, or XCB_NONE.
    xcb_window_t clientWindowOf(qint64 pid) {
        for (xcb_window_t window : probe.clientWindows())
            if (probe.pid(window) == uint32_t(pid) && probe.isViewable(window))
                return window;
        return XCB_NONE;
    }

    // The tray icon's menu (after a right click): a mapped top-level window
    // of Dexaro's that is not the popover.
    bool menuShown() {
        for (xcb_window_t window : probe.children(probe.root()))
            if (probe.pid(window) == uint32_t(dexaro.processId()) && probe.isViewable(window) &&
                window != visiblePopover())
                return true;
        return false;
    }
    // The popover: a mapped top-level window of Dexaro's, 385 wide.
    xcb_window_t visiblePopover() {
        for (xcb_window_t window : probe.children(probe.root())) {
            if (probe.pid(window) != uint32_t(dexaro.processId()) || !probe.isViewable(window))
                continue;
            const auto rect = probe.clientRect(window);
            if (rect && rect->width() == 385)
                return window;
        }
        return XCB_NONE;
    }

    QTemporaryDir home;
    QString storePath;
    X11Probe probe;
    QProcess dexaro;
};

} // namespace dexaro::test
