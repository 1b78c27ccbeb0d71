// Key names follow the X server's current layout.
#include "platform/KeyboardLayout.h"
#include "shortcuts/MASShortcut.h"
#include "support/Wait.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::waitUntil;

namespace {

void setLayout(const QString& layouts) {
    QProcess process;
    process.start(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), layouts});
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QString keyName(quint64 keyCode) {
    return MASShortcut(keyCode, 0).keyCodeString();
}

class KeyNames : public ::testing::Test {
protected:
    void TearDown() override { setLayout(QStringLiteral("us")); }
};

TEST_F(KeyNames, FollowTheCurrentLayout) {
    setLayout(QStringLiteral("us"));
    ASSERT_TRUE(waitUntil([] { return keyName(16) == QStringLiteral("Y"); }));
    EXPECT_EQ(keyName(40), QStringLiteral("K"));
    EXPECT_EQ(keyName(41), QStringLiteral(";"));

    // German: Y and Z change places; the key after L types ö.
    setLayout(QStringLiteral("de"));
    ASSERT_TRUE(waitUntil([] { return keyName(16) == QStringLiteral("Z"); }))
        << keyName(16).toStdString();
    EXPECT_EQ(keyName(6), QStringLiteral("Y"));
    EXPECT_EQ(keyName(41), QStringLiteral("Ö"));
    EXPECT_EQ(keyName(49), QStringLiteral("Space"));
}

TEST_F(KeyNames, UseALayoutThatTypesLatinLetters) {
    // Russian alone: its own letters.
    setLayout(QStringLiteral("ru"));
    ASSERT_TRUE(waitUntil([] { return keyName(40) == QStringLiteral("Л"); }))
        << keyName(40).toStdString();
    // Russian first: its letters are not ASCII, so names come from the US layout.
    setLayout(QStringLiteral("ru,us"));
    ASSERT_TRUE(waitUntil([] {
        return MASShortcut(40, MASShortcut::ControlFlag).description() == QStringLiteral("⌃K");
    })) << keyName(40).toStdString();
    EXPECT_EQ(keyName(0), QStringLiteral("A"));
}

} // namespace
