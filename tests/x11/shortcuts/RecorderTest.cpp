// The recorder with real key events from the X server.
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcutValidator.h"
#include "shortcuts/MASShortcutView.h"
#include "support/DesktopPlatform.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"
#include "support/XdoTool.h"

#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::waitUntil;
using dexaro::test::XdoTool;

namespace {

class RealRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        (new QVBoxLayout(&window))->addWidget(view);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
        view->setRecording(true);
    }

    MASShortcutValidator validator{test::desktop().hotKeys(), {}};
    test::RecordingAlerts alerts;
    QWidget window;
    MASShortcutView* view = new MASShortcutView(validator, alerts, &window);
};

TEST_F(RealRecorder, RecordsWhatIsTyped) {
    XdoTool::run({QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("alt")});
    const bool placeholderShown =
        waitUntil([&] { return view->shortcutPlaceholder() == QStringLiteral("⌃⌥"); });
    XdoTool::run({QStringLiteral("keyup"), QStringLiteral("alt"), QStringLiteral("ctrl")});
    EXPECT_TRUE(placeholderShown) << view->shortcutPlaceholder().toStdString();
    EXPECT_TRUE(waitUntil([&] { return view->shortcutPlaceholder().isEmpty(); }));

    XdoTool::key(QStringLiteral("shift+a ctrl+alt+k"));
    ASSERT_TRUE(waitUntil([&] { return !view->isRecording(); }));
    EXPECT_EQ(view->shortcutValue(),
              MASShortcut(keys::K, MASShortcut::ControlFlag | MASShortcut::OptionFlag));
    EXPECT_EQ(view->titleText(), QStringLiteral("⌃⌥K"));
}

TEST_F(RealRecorder, StopsWhenItsWindowIsLeft) {
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    EXPECT_TRUE(waitUntil([&] { return !view->isRecording(); }));
    EXPECT_FALSE(view->shortcutValue());
}

} // namespace
