// Hot keys through KDE's shortcut service in a real headless KWin: keys typed
// into KWin (its fake input protocol, as a keyboard) reach Dexaro as presses
// of the identifiers registered, and combinations KWin holds are refused.
#include "platform/linux/KGlobalAccelHotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString fakeKeys = QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-FakeKeys");
constexpr quint32 signature = 0x44584b59; // "DXKY"
constexpr quint32 control = HotKeys::CarbonControl, option = HotKeys::CarbonOption,
                  shift = HotKeys::CarbonShift, command = HotKeys::CarbonCommand;

// Types the combination into KWin as a keyboard would: modifiers down, the
// key, all up again.
void type(quint32 keyCode, quint32 modifiers) {
    QStringList codes;
    const std::pair<quint32, quint32> held[] = {
        {control, 29}, {option, 56}, {shift, 42}, {command, 125}};
    for (const auto& [bit, evdev] : held)
        if (modifiers & bit)
            codes << QString::number(evdev);
    codes << QString::number(KeyboardLayout::evdevCode(keyCode).value_or(0));
    ASSERT_EQ(QProcess::execute(fakeKeys, {codes.join(u'+')}), 0);
}

class KGlobalAccelHotKeysTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hotKeys->isAvailable()); }

    // The identifiers the combination's press reports; a second combination
    // typed after it marks the end of the first one's presses.
    QList<quint32> pressedBy(quint32 keyCode, quint32 modifiers) {
        QSignalSpy spy(hotKeys.get(), &HotKeys::pressed);
        type(keyCode, modifiers);
        type(keys::F12, control | option | shift);
        waitUntil([&] {
            return std::any_of(spy.begin(), spy.end(),
                               [](const QList<QVariant>& args) { return args[1].toUInt() == 99; });
        });
        QList<quint32> ids;
        for (const QList<QVariant>& args : spy)
            if (args[0].toUInt() == signature && args[1].toUInt() != 99)
                ids << args[1].toUInt();
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::unique_ptr<HotKeys> hotKeys = makeKGlobalAccelHotKeys();
};

TEST_F(KGlobalAccelHotKeysTest, ATypedCombinationReportsEachIdentifierThatHoldsIt) {
    QString error;
    ASSERT_TRUE(hotKeys->registerHotKey(keys::F12, control | option | shift, signature, 99, &error))
        << qPrintable(error);
    const struct {
        const char* name;
        quint32 keyCode, modifiers;
    } rows[] = {
        {"Control-Option-T", keys::T, control | option},
        {"Command-Shift-5", keys::Digit5, command | shift},
        {"Control-Shift-Return", keys::Return, control | shift},
        {"Option-Shift-A", keys::A, option | shift},
        {"Control-Shift-Slash", keys::Slash, control | shift},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(hotKeys->registerHotKey(row.keyCode, row.modifiers, signature, 1, &error))
            << qPrintable(error);
        ASSERT_TRUE(hotKeys->registerHotKey(row.keyCode, row.modifiers, signature, 2, &error))
            << qPrintable(error);
        EXPECT_FALSE(hotKeys->isTakenByOthers(row.keyCode, row.modifiers));
        EXPECT_EQ(pressedBy(row.keyCode, row.modifiers), (QList<quint32>{1, 2}));
        // One modifier fewer.
        quint32 fewer = row.modifiers;
        for (quint32 bit : {control, command, option, shift})
            if (fewer & bit) {
                fewer &= ~bit;
                break;
            }
        EXPECT_EQ(pressedBy(row.keyCode, fewer), QList<quint32>{})
            << "a press without all of the modifiers";

        hotKeys->unregisterHotKey(signature, 1);
        EXPECT_EQ(pressedBy(row.keyCode, row.modifiers), QList<quint32>{2});
        hotKeys->unregisterHotKey(signature, 2);
        EXPECT_EQ(pressedBy(row.keyCode, row.modifiers), QList<quint32>{});
    }
}

TEST_F(KGlobalAccelHotKeysTest, RefusesCombinationsKWinHoldsAndKeysWithoutAName) {
    // Alt+Tab walks through the windows; Alt+F4 closes one.
    const struct {
        const char* name;
        quint32 keyCode, modifiers;
        bool taken;
    } rows[] = {
        {"Option-Tab", keys::Tab, option, true},
        {"Option-F4", keys::F4, option, true},
        {"a keypad key", keys::Keypad1, control, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_FALSE(hotKeys->registerHotKey(row.keyCode, row.modifiers, signature, 5, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(hotKeys->isTakenByOthers(row.keyCode, row.modifiers), row.taken);
    }
    // Refused, nothing was kept: a later registration of a free one works.
    EXPECT_TRUE(hotKeys->registerHotKey(keys::T, control | option, signature, 5));
}

TEST_F(KGlobalAccelHotKeysTest, TheServiceKeepsNoCombinationOnceTheHotKeysGo) {
    ASSERT_TRUE(hotKeys->registerHotKey(keys::Y, control | option, signature, 7));
    hotKeys.reset();
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
        QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("getGlobalShortcutsByKey"));
    call << kdeShortcutKey(keys::Y, control | option);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
    const QDBusArgument holders = reply.arguments().value(0).value<QDBusArgument>();
    holders.beginArray();
    EXPECT_TRUE(holders.atEnd()) << "a shortcut still holds Control-Option-Y";
    holders.endArray();
}

} // namespace
} // namespace dexaro::test
