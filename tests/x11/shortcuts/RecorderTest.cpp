// The recorder with real key events from the X server.
#include "platform/HotKeys.h"
#include "shortcuts/MASShortcutValidator.h"
#include "shortcuts/MASShortcutView.h"
#include "support/DesktopPlatform.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"
#include "support/XdoTool.h"

#include <QProcess>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::waitUntil;

namespace {

class RealRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        view = new MASShortcutView(validator, alerts, &window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    }

    MASShortcutValidator validator{test::desktop().hotKeys(), {}};
    test::RecordingAlerts alerts;
    QWidget window;
    MASShortcutView* view = nullptr;
};

TEST_F(RealRecorder, RecordsWhatIsTyped) {
    view->setRecording(true);
    test::XdoTool::run({QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("alt")});
    const bool placeholderShown =
        waitUntil([&] { return view->shortcutPlaceholder() == QStringLiteral("⌃⌥"); });
    test::XdoTool::run({QStringLiteral("keyup"), QStringLiteral("alt"), QStringLiteral("ctrl")});
    EXPECT_TRUE(placeholderShown) << view->shortcutPlaceholder().toStdString();
    EXPECT_TRUE(waitUntil([&] { return view->shortcutPlaceholder().isEmpty(); }));

    test::XdoTool::run({QStringLiteral("key"), QStringLiteral("shift+a")});
    test::XdoTool::run({QStringLiteral("key"), QStringLiteral("ctrl+alt+k")});
    ASSERT_TRUE(waitUntil([&] { return !view->isRecording(); }));
    EXPECT_EQ(view->shortcutValue(),
              MASShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag));
    EXPECT_EQ(view->titleText(), QStringLiteral("⌃⌥K"));
}

TEST_F(RealRecorder, StopsWhenItsWindowIsLeft) {
    view->setRecording(true);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    EXPECT_TRUE(waitUntil([&] { return !view->isRecording(); }));
    EXPECT_FALSE(view->shortcutValue());
}

} // namespace
