#pragma once
// The real Dexaro program started in the test session, and the helpers its
// tests share: the program's tray icon and popover as another client sees
// them, and real clicks through xdotool.
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

namespace dexaro::test {

inline const QString dexaroProgram = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");

inline QString runTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000))
        return QStringLiteral("<%1 did not finish>").arg(program);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

inline void xdotoolClick(const QPoint& at) {
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}

inline xcb_window_t parentOf(X11Probe& probe, xcb_window_t window) {
    xcb_query_tree_reply_t* reply = xcb_query_tree_reply(
        probe.connection(), xcb_query_tree(probe.connection(), window), nullptr);
    if (!reply)
        return XCB_NONE;
    const xcb_window_t parent = reply->parent;
    free(reply);
    return parent;
}

inline bool hasProperty(X11Probe& probe, xcb_window_t window, const char* name) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        probe.connection(),
        xcb_get_property(probe.connection(), 0, window, probe.atom(name), XCB_ATOM_ANY, 0, 1),
        nullptr);
    const bool present = reply && reply->type != XCB_NONE;
    free(reply);
    return present;
}

// Every window below root, depth first.
inline void collect(X11Probe& probe, xcb_window_t window, std::vector<xcb_window_t>& out) {
    for (xcb_window_t child : probe.children(window)) {
        out.push_back(child);
        collect(probe, child, out);
    }
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
            dexaro.waitForFinished(10000);
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
        ASSERT_TRUE(dexaro.waitForStarted(10000));
    }

    // Dexaro's XEmbed icon: a window of its process with _XEMBED_INFO that a
    // tint2 panel has taken in.
    xcb_window_t trayIcon() {
        std::vector<xcb_window_t> all;
        collect(probe, probe.root(), all);
        for (xcb_window_t window : all) {
            if (probe.pid(window) != uint32_t(dexaro.processId()) ||
                !hasProperty(probe, window, "_XEMBED_INFO"))
                continue;
            for (xcb_window_t up = parentOf(probe, window); up && up != probe.root();
                 up = parentOf(probe, up)) {
                if (probe.wmClass(up).contains(QStringLiteral("tint2"), Qt::CaseInsensitive))
                    return window;
            }
        }
        return XCB_NONE;
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
