// Hot keys through Dexaro's extension under a real headless GNOME Shell 43,
// with keys typed through the compositor's remote-desktop interface.
#include "platform/linux/GnomeShellHotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"
#include "support/Wait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString remoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");

// A remote-desktop session of the compositor's, which types as a keyboard would.
class Typist {
public:
    Typist() {
        const QDBusReply<QDBusObjectPath> created = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(remoteDesktop,
                                           QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                                           remoteDesktop, QStringLiteral("CreateSession")),
            QDBus::Block, 5000);
        if (!created.isValid()) {
            error = created.error().message();
            return;
        }
        m_path = created.value().path();
        const QDBusMessage started = QDBusConnection::sessionBus().call(
            session(QStringLiteral("Start")), QDBus::Block, 5000);
        if (started.type() != QDBusMessage::ReplyMessage)
            error = started.errorMessage();
    }
    ~Typist() {
        if (!m_path.isEmpty())
            QDBusConnection::sessionBus().call(session(QStringLiteral("Stop")), QDBus::Block, 5000);
    }
    bool ok() const { return error.isEmpty(); }

    // Presses the modifiers and the key, and lets go in reverse order.
    void press(const QList<quint32>& keys) {
        for (quint32 key : keys)
            send(key, true);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            send(*it, false);
    }

    QString error;

private:
    QDBusMessage session(const QString& method) const {
        return QDBusMessage::createMethodCall(remoteDesktop, m_path,
                                              remoteDesktop + QStringLiteral(".Session"), method);
    }
    void send(quint32 key, bool down) {
        QDBusMessage message = session(QStringLiteral("NotifyKeyboardKeycode"));
        message << *KeyboardLayout::evdevCode(key) << down;
        QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    }
    QString m_path;
};

TEST(GnomeShellHotKeys, APressReachesEveryIdentifierOfTheCombinationUntilItIsGivenBack) {
    if (qEnvironmentVariableIsEmpty("DEXARO_GNOME_HOME"))
        GTEST_SKIP() << "needs the GNOME Shell session of scripts/gnome-session.sh";
    const auto hotKeys = makeGnomeShellHotKeys();
    ASSERT_TRUE(hotKeys->isAvailable());
    Typist typist;
    ASSERT_TRUE(typist.ok()) << qPrintable(typist.error);
    QSignalSpy pressed(hotKeys.get(), &HotKeys::pressed);
    const quint32 mods = HotKeys::CarbonControl | HotKeys::CarbonOption;
    QString error;
    ASSERT_TRUE(hotKeys->registerHotKey(keys::K, mods, 0x44585257, 1, &error)) << qPrintable(error);
    ASSERT_TRUE(hotKeys->registerHotKey(keys::K, mods, 0x44585257, 2, &error)) << qPrintable(error);
    EXPECT_FALSE(hotKeys->isTakenByOthers(keys::K, mods));

    typist.press({keys::Control, keys::Option, keys::K});
    ASSERT_TRUE(waitUntil([&] { return pressed.size() >= 2; }, 5000));
    EXPECT_EQ(pressed.at(0).at(1).toUInt() + pressed.at(1).at(1).toUInt(), 3u);

    // Given back: the shell no longer tells of it.
    hotKeys->unregisterHotKey(0x44585257, 1);
    hotKeys->unregisterHotKey(0x44585257, 2);
    pressed.clear();
    ASSERT_TRUE(hotKeys->registerHotKey(keys::J, mods, 0x44585257, 3, &error)) << qPrintable(error);
    typist.press({keys::Control, keys::Option, keys::K});
    typist.press({keys::Control, keys::Option, keys::J});
    ASSERT_TRUE(waitUntil([&] { return !pressed.isEmpty(); }, 5000));
    ASSERT_EQ(pressed.size(), 1);
    EXPECT_EQ(pressed.at(0).at(1).toUInt(), 3u);

    // One the shell holds itself (switching windows) is refused with the reason.
    EXPECT_FALSE(hotKeys->registerHotKey(keys::Tab, HotKeys::CarbonOption, 0x44585257, 4, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(hotKeys->isTakenByOthers(keys::Tab, HotKeys::CarbonOption));
}

} // namespace
} // namespace dexaro::test
