// Key names follow the X server's current layout.
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcut.h"
#include "support/RunProgram.h"
#include "support/Wait.h"

#include <QScopeGuard>
#include <gtest/gtest.h>
#include <vector>

using namespace dexaro;

namespace {

struct Name {
    quint64 keyCode;
    const char* name;
};
struct Layout {
    const char* layouts; // as setxkbmap -layout takes them
    // Each name is waited for: the new layout reaches Dexaro as an X event.
    std::vector<Name> names;
};

TEST(KeyNames, FollowTheCurrentLayout) {
    const Layout rows[] = {
        {"us", {{keys::Y, "Y"}, {keys::K, "K"}, {keys::Semicolon, ";"}}},
        // German: Y and Z change places; the key after L types ö.
        {"de", {{keys::Y, "Z"}, {keys::Z, "Y"}, {keys::Semicolon, "Ö"}, {keys::Space, "Space"}}},
        {"ru", {{keys::K, "Л"}}},
        // Russian first: its letters are not ASCII, so names come from the US layout.
        {"ru,us", {{keys::K, "K"}, {keys::A, "A"}}},
    };
    const auto restore = qScopeGuard([] {
        test::runProgram(QStringLiteral("setxkbmap"),
                         {QStringLiteral("-layout"), QStringLiteral("us")});
    });
    for (const Layout& row : rows) {
        SCOPED_TRACE(row.layouts);
        ASSERT_TRUE(
            test::runProgram(QStringLiteral("setxkbmap"),
                             {QStringLiteral("-layout"), QString::fromLatin1(row.layouts)}));
        for (const Name& name : row.names) {
            const MASShortcut shortcut(name.keyCode, 0);
            const QString expected = QString::fromUtf8(name.name);
            test::waitUntil([&] { return shortcut.keyCodeString() == expected; });
            EXPECT_EQ(shortcut.keyCodeString(), expected) << name.keyCode;
        }
    }
}

} // namespace
