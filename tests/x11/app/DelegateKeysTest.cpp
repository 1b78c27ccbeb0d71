// The main window inside the real application delegate and its desktop
// services, with keys from the X server (xdotool through XTEST): Ctrl-W hides
// the window and Ctrl-Q runs the quit path to status 0, Caps Lock or not, and
// on a layout without Latin letters by the keys where W and Q are.
#include "app/AppDelegate.h"
#include "app/CustomMainWindow.h"
#include "support/DesktopPlatform.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdoTool.h"

#include <QDBusConnection>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace dexaro::test {
namespace {

void setLayout(const QString& layout) {
    QProcess run;
    run.start(QStringLiteral("setxkbmap"), {layout});
    ASSERT_TRUE(run.waitForFinished(10000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
}

// Puts the US layout back however the test ends.
struct UsLayoutAtEnd {
    ~UsLayoutAtEnd() { setLayout(QStringLiteral("us")); }
};

bool capsLockOn(X11Probe& probe) {
    return probe.pointer().mask & XCB_MOD_MASK_LOCK;
}

TEST(DelegateKeysTest, CtrlWHidesTheMainWindowAndCtrlQQuitsWithStatusZero) {
    X11Probe probe;
    ASSERT_TRUE(probe.ok());
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));

    std::optional<int> exitStatus;
    {
        AppServices services = AppServices::fromPlatform(test::desktop());
        services.storePath = home.filePath(QStringLiteral("Dexaro.sqlite"));
        services.exit = [&](int status) {
            exitStatus = status;
        };
        AppDelegate delegate(test::desktop(), std::move(services));
        ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
        delegate.closePopover();
        CustomMainWindow* window = delegate.mainWindow();
        ASSERT_NE(window, nullptr);
        const auto showFocused = [&] {
            window->show();
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window, 30000));
            ASSERT_TRUE(waitUntil([&] { return probe.isViewable(xcb_window_t(window->winId())); }));
        };

        for (bool caps : {false, true}) {
            SCOPED_TRACE(caps ? "Caps Lock on" : "Caps Lock off");
            if (capsLockOn(probe) != caps)
                XdoTool::key(QStringLiteral("Caps_Lock"));
            ASSERT_EQ(capsLockOn(probe), caps);
            showFocused();
            const xcb_window_t id = xcb_window_t(window->winId());
            XdoTool::key(QStringLiteral("ctrl+w"));
            EXPECT_TRUE(waitUntil([&] { return !probe.isViewable(id); })) << "still mapped";
            EXPECT_FALSE(exitStatus.has_value()) << "Ctrl-W must only hide the window";
        }

        if (capsLockOn(probe))
            XdoTool::key(QStringLiteral("Caps_Lock"));
        // Russian only: Ц is where W is, Й where Q is; no key types a Latin letter.
        UsLayoutAtEnd restore;
        setLayout(QStringLiteral("ru"));
        showFocused();
        const xcb_window_t id = xcb_window_t(window->winId());
        XdoTool::key(QStringLiteral("ctrl+Cyrillic_tse"));
        EXPECT_TRUE(waitUntil([&] { return !probe.isViewable(id); })) << "Ctrl-Ц did not hide";
        EXPECT_FALSE(exitStatus.has_value());

        showFocused();
        XdoTool::key(QStringLiteral("ctrl+Cyrillic_shorti"));
        EXPECT_TRUE(waitUntil([&] { return exitStatus.has_value(); })) << "Ctrl-Q did not quit";
        EXPECT_EQ(exitStatus.value_or(-1), 0);
    }
    // The delegate took Dexaro's name on this process's bus connection.
    QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.dexaro.Dexaro"));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace dexaro::test
