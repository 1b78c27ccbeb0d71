// The main window's keyboard in a real session: key presses come from the X
// server (xdotool through XTEST), with and without Caps Lock.
#include "app/AppSettings.h"
#include "app/CustomMainWindow.h"
#include "model/WorkspaceStore.h"
#include "platform/LoginItem.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

class NoLoginItem : public LoginItem {
public:
    bool setEnabled(const QString&, bool, QString*) override { return true; }
    bool isEnabled(const QString&) const override { return false; }
};

class MainWindowKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(dir.isValid());
        QString error;
        context = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), &error);
        ASSERT_TRUE(context) << error.toStdString();
        store = std::make_unique<WorkspaceStore>(*context, alerts);
        window = std::make_unique<CustomMainWindow>(settings, *store, loginItem);
        auto* creator = new QWidget;
        field = new QLineEdit(creator);
        (new QVBoxLayout(creator))->addWidget(field);
        window->setScreenViews(creator, nullptr);
        window->resize(900, 600);
    }
    void TearDown() override {
        if (capsLockOn())
            xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
        window.reset();
    }

    void xdotool(const QStringList& arguments) {
        QProcess run;
        run.start(QStringLiteral("xdotool"), arguments);
        ASSERT_TRUE(run.waitForStarted(5000));
        // Keep Qt's event loop turning while the keys travel.
        ASSERT_TRUE(waitUntil([&] { return run.state() == QProcess::NotRunning; }));
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    }
    bool capsLockOn() {
        auto* reply = xcb_query_pointer_reply(
            probe.connection(), xcb_query_pointer(probe.connection(), probe.root()), nullptr);
        const bool on = reply && (reply->mask & XCB_MOD_MASK_LOCK);
        std::free(reply);
        return on;
    }
    void showFocused() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        field->setFocus();
        field->clear();
        ASSERT_TRUE(waitUntil([&] { return probe.isViewable(xcb_window_t(window->winId())); }));
    }
    // Types a plain key and waits until it arrived: every key sent before it
    // has been handled by then.
    void syncKeys() {
        const QString before = field->text();
        xdotool({QStringLiteral("key"), QStringLiteral("x")});
        ASSERT_TRUE(waitUntil([&] { return field->text().size() == before.size() + 1; }));
    }

    X11Probe probe;
    QTemporaryDir dir;
    RecordingAlerts alerts;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> store;
    AppSettings settings;
    NoLoginItem loginItem;
    std::unique_ptr<CustomMainWindow> window;
    QLineEdit* field = nullptr;
};

TEST_F(MainWindowKeysTest, CtrlWUnmapsAndCtrlQAsksToQuitWithOrWithoutCapsLock) {
    for (bool caps : {false, true}) {
        SCOPED_TRACE(caps ? "Caps Lock on" : "Caps Lock off");
        if (capsLockOn() != caps)
            xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
        ASSERT_EQ(capsLockOn(), caps);

        showFocused();
        const xcb_window_t id = xcb_window_t(window->winId());
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+w")});
        EXPECT_TRUE(waitUntil([&] { return !probe.isViewable(id); })) << "Ctrl-W left it mapped";
        EXPECT_TRUE(window->isHidden());

        showFocused();
        QSignalSpy quit(window.get(), &CustomMainWindow::quitRequested);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
        EXPECT_TRUE(waitUntil([&] { return quit.size() == 1; })) << "Ctrl-Q did nothing";
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(MainWindowKeysTest, WAndQWithOtherModifiersDoNothing) {
    showFocused();
    QSignalSpy quit(window.get(), &CustomMainWindow::quitRequested);
    for (const char* keys :
         {"ctrl+shift+w", "ctrl+alt+w", "super+w", "alt+q", "ctrl+shift+q", "ctrl+alt+q"}) {
        SCOPED_TRACE(keys);
        xdotool({QStringLiteral("key"), QString::fromLatin1(keys)});
        syncKeys();
        EXPECT_FALSE(window->isHidden());
        EXPECT_TRUE(probe.isViewable(xcb_window_t(window->winId())));
        EXPECT_EQ(quit.size(), 0);
        showFocused();
    }
}

} // namespace
} // namespace dexaro::test
