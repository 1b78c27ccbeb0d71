// Which desktop a session has, what Dexaro does where it cannot place windows,
// and how sway's keys are named and found taken (the sway session test binds
// and presses them for real).
#include "platform/KeyCodes.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/LimitedWindows.h"
#include "platform/linux/SwayHotKeys.h"
#include "support/RecordingAlerts.h"

#include <gtest/gtest.h>

using namespace dexaro;

namespace {

QProcessEnvironment environment(const QStringList& entries) {
    QProcessEnvironment env;
    for (const QString& entry : entries)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    return env;
}

} // namespace

TEST(DesktopSession, TheCompositorComesFromTheSessionTypeThenTheBusThenSwaysSocket) {
    struct Row {
        QStringList env;
        QStringList busNames;
        Compositor expected;
    };
    const QString kwin = QStringLiteral("org.kde.KWin"), shell = QStringLiteral("org.gnome.Shell");
    const Row rows[] = {
        {{"DISPLAY=:0"}, {kwin}, Compositor::x11},
        // Said to be X11: a WAYLAND_DISPLAY left over from elsewhere changes nothing.
        {{"XDG_SESSION_TYPE=x11", "WAYLAND_DISPLAY=wayland-0", "SWAYSOCK=/s"}, {}, Compositor::x11},
        {{"XDG_SESSION_TYPE=wayland"}, {kwin}, Compositor::kwin},
        {{"WAYLAND_DISPLAY=wayland-0"}, {shell}, Compositor::gnomeShell},
        {{"XDG_SESSION_TYPE=Wayland", "SWAYSOCK=/run/user/1/sway-ipc.sock"}, {}, Compositor::sway},
        // KWin answering wins over a SWAYSOCK inherited from a nested sway.
        {{"WAYLAND_DISPLAY=wayland-0", "SWAYSOCK=/s"}, {kwin}, Compositor::kwin},
        {{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"}, {}, Compositor::otherWayland},
        {{"XDG_SESSION_TYPE=tty", "WAYLAND_DISPLAY=wayland-0"}, {}, Compositor::otherWayland},
    };
    for (const Row& row : rows) {
        QStringList asked;
        const Compositor found = detectCompositor(environment(row.env), [&](const QString& name) {
            asked << name;
            return row.busNames.contains(name);
        });
        EXPECT_EQ(found, row.expected) << row.env.join(' ').toStdString();
        if (row.expected == Compositor::x11)
            EXPECT_TRUE(asked.isEmpty()) << "an X11 session asks the bus nothing";
    }
}

TEST(DesktopSession, OwnWindowsGoThroughXWaylandOnlyWhenThereIsOneAndNoPlatformIsChosen) {
    EXPECT_TRUE(ownWindowsOnXWayland(environment({"WAYLAND_DISPLAY=w", "DISPLAY=:1"})));
    EXPECT_FALSE(ownWindowsOnXWayland(environment({"WAYLAND_DISPLAY=w"})));
    EXPECT_FALSE(ownWindowsOnXWayland(environment({"DISPLAY=:0"})));
    EXPECT_FALSE(ownWindowsOnXWayland(
        environment({"WAYLAND_DISPLAY=w", "DISPLAY=:1", "QT_QPA_PLATFORM=wayland"})));
}

TEST(LimitedWindows, TheLimitIsSaidOnceAndXWaylandWindowsAreStillOffered) {
    test::RecordingAlerts alerts;
    const auto none = makeLimitedWindows(alerts, nullptr, QStringLiteral("Hyprland"));
    EXPECT_FALSE(none->isAvailable(false));
    EXPECT_TRUE(alerts.shown.isEmpty()) << "asked without prompt, nothing is shown";
    EXPECT_FALSE(none->isAvailable(true));
    EXPECT_FALSE(none->isAvailable(true));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Windows cannot be placed"));
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("Hyprland")));
    EXPECT_EQ(none->placementLimit(), alerts.shown[0].informative);
    // Nothing to place, and requests fail instead of hanging or crashing.
    EXPECT_TRUE(none->windows().isEmpty());
    EXPECT_EQ(none->setFrame(1, QRect(0, 0, 10, 10)), std::nullopt);
    EXPECT_FALSE(none->close(1));
    EXPECT_NE(none->subscribe([](const WindowEvent&) {}), nullptr);

    EXPECT_NE(limitedPlacementText(QStringLiteral("GNOME Shell"), true),
              limitedPlacementText(QStringLiteral("GNOME Shell"), false))
        << "with XWayland, the limit names which windows are still placed";
}

// Keys by what they type in the layout sway gives keyboards (XKB's default: US).
TEST(SwayKeys, CombinationsAreKeySymbolsWithModifiersInOneOrder) {
    struct Row {
        quint32 key, modifiers;
        QString expected;
    };
    const Row rows[] = {
        {keys::A, HotKeys::CarbonCommand, "Mod4+a"},
        {keys::Digit1, HotKeys::CarbonShift | HotKeys::CarbonControl, "Ctrl+Shift+1"},
        {keys::F5, HotKeys::CarbonOption | HotKeys::CarbonCommand | HotKeys::CarbonShift,
         "Mod1+Mod4+Shift+F5"},
        {keys::Space, 0, "space"},
        {keys::Comma, HotKeys::CarbonCommand, "Mod4+comma"},
        {keys::Return, HotKeys::CarbonControl, "Ctrl+Return"},
        {9999, HotKeys::CarbonCommand, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(swayKeyCombination(row.key, row.modifiers), row.expected) << row.key;
    // The key of Y's place types z in the German layout.
    EXPECT_EQ(swayKeyCombination(keys::Y, HotKeys::CarbonCommand, QStringLiteral("de")),
              QStringLiteral("Mod4+z"));
}

TEST(SwayKeys, AConfigurationBindsACombinationByCodeOrBySymbolWithItsVariablesRead) {
    const QString config = QStringLiteral(R"(
set $mod Mod4
set $left h
bindsym $mod+Return exec foot
bindsym --release $mod+Shift+q kill
bindcode Mod1+Control+38 exec thing
bindsym $mod+$left focus left
mode "resize" {
    bindsym Escape mode "default"
}
# bindsym $mod+x exec commented
)");
    struct Row {
        QString combination;
        int keyCode;
        bool bound;
    };
    const Row rows[] = {
        {"Mod4+Return", 36, true},
        {"Mod4+Shift+q", 24, true},
        {"Mod4+q", 24, false},     // without Shift: free
        {"Ctrl+Mod1+a", 38, true}, // by code, Control spelled out, in another order
        {"Ctrl+Mod1+s", 39, false},
        {"Mod4+h", 43, true},  // through $left
        {"Mod4+x", 53, false}, // a comment binds nothing
        {"Mod1+Mod4+Shift+Return", 36, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(configBinds(config, row.combination, row.keyCode), row.bound)
            << row.combination.toStdString();
}
