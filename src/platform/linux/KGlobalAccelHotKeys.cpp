#include "platform/linux/KGlobalAccelHotKeys.h"

#include "platform/KeyCodes.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QSet>
#include <QStringList>
#include <map>

namespace dexaro {
namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString component = QStringLiteral("org.dexaro.Dexaro");
const QString componentName = QStringLiteral("Dexaro");
// The service's object for a component: its name with the dots as underscores.
const QString componentPath = QStringLiteral("/component/org_dexaro_Dexaro");
constexpr int callTimeoutMs = 2000;
// KGlobalAccel::SetShortcutFlag: the action is present, and the keys given are
// the ones to set (not those the service remembers from an earlier run).
constexpr uint setPresent = 2, noAutoloading = 4;

// The service's KGlobalShortcutInfo, as it goes over the bus; only the
// owner matters here.
struct ShortcutInfo {
    QString contextUniqueName, contextFriendlyName, componentUniqueName, componentFriendlyName,
        uniqueName, friendlyName;
    QList<int> keys, defaultKeys;
};

const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutInfo& info) {
    argument.beginStructure();
    argument >> info.uniqueName >> info.friendlyName >> info.componentUniqueName >>
        info.componentFriendlyName >> info.contextUniqueName >> info.contextFriendlyName;
    argument.beginArray();
    while (!argument.atEnd()) {
        int key = 0;
        argument >> key;
        info.keys.append(key);
    }
    argument.endArray();
    argument.beginArray();
    while (!argument.atEnd()) {
        int key = 0;
        argument >> key;
        info.defaultKeys.append(key);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutInfo& info) {
    argument.beginStructure();
    argument << info.uniqueName << info.friendlyName << info.componentUniqueName
             << info.componentFriendlyName << info.contextUniqueName << info.contextFriendlyName
             << info.keys << info.defaultKeys;
    argument.endStructure();
    return argument;
}

} // namespace
} // namespace dexaro

Q_DECLARE_METATYPE(dexaro::ShortcutInfo)

namespace dexaro {

int kdeShortcutKey(quint32 keyCode, quint32 carbonModifiers) {
    using namespace keys;
    static const std::map<quint32, int> table = [] {
        std::map<quint32, int> t{{A, Qt::Key_A},
                                 {B, Qt::Key_B},
                                 {C, Qt::Key_C},
                                 {D, Qt::Key_D},
                                 {E, Qt::Key_E},
                                 {F, Qt::Key_F},
                                 {G, Qt::Key_G},
                                 {H, Qt::Key_H},
                                 {I, Qt::Key_I},
                                 {J, Qt::Key_J},
                                 {K, Qt::Key_K},
                                 {L, Qt::Key_L},
                                 {M, Qt::Key_M},
                                 {N, Qt::Key_N},
                                 {O, Qt::Key_O},
                                 {P, Qt::Key_P},
                                 {Q, Qt::Key_Q},
                                 {R, Qt::Key_R},
                                 {S, Qt::Key_S},
                                 {T, Qt::Key_T},
                                 {U, Qt::Key_U},
                                 {V, Qt::Key_V},
                                 {W, Qt::Key_W},
                                 {X, Qt::Key_X},
                                 {Y, Qt::Key_Y},
                                 {Z, Qt::Key_Z},
                                 {Digit0, Qt::Key_0},
                                 {Digit1, Qt::Key_1},
                                 {Digit2, Qt::Key_2},
                                 {Digit3, Qt::Key_3},
                                 {Digit4, Qt::Key_4},
                                 {Digit5, Qt::Key_5},
                                 {Digit6, Qt::Key_6},
                                 {Digit7, Qt::Key_7},
                                 {Digit8, Qt::Key_8},
                                 {Digit9, Qt::Key_9},
                                 {Equal, Qt::Key_Equal},
                                 {Minus, Qt::Key_Minus},
                                 {RightBracket, Qt::Key_BracketRight},
                                 {LeftBracket, Qt::Key_BracketLeft},
                                 {Quote, Qt::Key_Apostrophe},
                                 {Semicolon, Qt::Key_Semicolon},
                                 {Backslash, Qt::Key_Backslash},
                                 {Comma, Qt::Key_Comma},
                                 {Slash, Qt::Key_Slash},
                                 {Period, Qt::Key_Period},
                                 {Grave, Qt::Key_QuoteLeft},
                                 {Return, Qt::Key_Return},
                                 {Tab, Qt::Key_Tab},
                                 {Space, Qt::Key_Space},
                                 {Delete, Qt::Key_Backspace},
                                 {Escape, Qt::Key_Escape},
                                 {ForwardDelete, Qt::Key_Delete},
                                 {Help, Qt::Key_Insert},
                                 {Home, Qt::Key_Home},
                                 {End, Qt::Key_End},
                                 {PageUp, Qt::Key_PageUp},
                                 {PageDown, Qt::Key_PageDown},
                                 {LeftArrow, Qt::Key_Left},
                                 {RightArrow, Qt::Key_Right},
                                 {UpArrow, Qt::Key_Up},
                                 {DownArrow, Qt::Key_Down}};
        const quint32 functionKeys[] = {F1,  F2,  F3,  F4,  F5,  F6,  F7,  F8,  F9,  F10,
                                        F11, F12, F13, F14, F15, F16, F17, F18, F19, F20};
        for (int i = 0; i < 20; ++i)
            t.emplace(functionKeys[i], Qt::Key_F1 + i);
        return t;
    }();
    const auto it = table.find(keyCode);
    if (it == table.end())
        return 0;
    int key = it->second;
    // With Shift, a digit or punctuation key is named by the symbol it types
    // then (Shift+5 is "%"), as KDE's shortcuts name it, without the Shift.
    static const std::map<int, int> shifted{{Qt::Key_1, Qt::Key_Exclam},
                                            {Qt::Key_2, Qt::Key_At},
                                            {Qt::Key_3, Qt::Key_NumberSign},
                                            {Qt::Key_4, Qt::Key_Dollar},
                                            {Qt::Key_5, Qt::Key_Percent},
                                            {Qt::Key_6, Qt::Key_AsciiCircum},
                                            {Qt::Key_7, Qt::Key_Ampersand},
                                            {Qt::Key_8, Qt::Key_Asterisk},
                                            {Qt::Key_9, Qt::Key_ParenLeft},
                                            {Qt::Key_0, Qt::Key_ParenRight},
                                            {Qt::Key_Minus, Qt::Key_Underscore},
                                            {Qt::Key_Equal, Qt::Key_Plus},
                                            {Qt::Key_BracketLeft, Qt::Key_BraceLeft},
                                            {Qt::Key_BracketRight, Qt::Key_BraceRight},
                                            {Qt::Key_Backslash, Qt::Key_Bar},
                                            {Qt::Key_Semicolon, Qt::Key_Colon},
                                            {Qt::Key_Apostrophe, Qt::Key_QuoteDbl},
                                            {Qt::Key_Comma, Qt::Key_Less},
                                            {Qt::Key_Period, Qt::Key_Greater},
                                            {Qt::Key_Slash, Qt::Key_Question},
                                            {Qt::Key_QuoteLeft, Qt::Key_AsciiTilde}};
    if (carbonModifiers & HotKeys::CarbonShift) {
        if (const auto symbol = shifted.find(key); symbol != shifted.end())
            key = symbol->second;
        else
            key |= Qt::SHIFT;
    }
    if (carbonModifiers & HotKeys::CarbonCommand)
        key |= Qt::META;
    if (carbonModifiers & HotKeys::CarbonOption)
        key |= Qt::ALT;
    if (carbonModifiers & HotKeys::CarbonControl)
        key |= Qt::CTRL;
    return key;
}

namespace {

QString takenText() {
    return QCoreApplication::translate("HotKeys",
                                       "Another application already uses this key combination.");
}

QString unknownKeyText() {
    return QCoreApplication::translate("HotKeys", "This key cannot be used for a hot key.");
}

class KGlobalAccelHotKeys final : public HotKeys {
    Q_OBJECT
public:
    KGlobalAccelHotKeys() : m_bus(QDBusConnection::sessionBus()) {
        qDBusRegisterMetaType<ShortcutInfo>();
        qDBusRegisterMetaType<QList<ShortcutInfo>>();
        m_bus.connect(service, componentPath, QStringLiteral("org.kde.kglobalaccel.Component"),
                      QStringLiteral("globalShortcutPressed"), this,
                      SLOT(shortcutPressed(QString, QString, qlonglong)));
    }

    ~KGlobalAccelHotKeys() override {
        // The service keeps a component's actions after it goes: take them back.
        for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it)
            release(it.key());
    }

    bool isAvailable() const override {
        if (!m_bus.isConnected())
            return false;
        const QDBusMessage reply =
            m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("NameHasOwner"))
                           << service,
                       QDBus::Block, callTimeoutMs);
        return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
    }

    bool registerHotKey(quint32 keyCode, quint32 carbonModifiers, quint32 signature, quint32 id,
                        QString* error) override {
        const int key = kdeShortcutKey(keyCode, carbonModifiers);
        if (key == 0) {
            if (error)
                *error = unknownKeyText();
            return false;
        }
        const quint64 name = (quint64(signature) << 32) | id;
        unregisterHotKey(signature, id);
        if (auto it = m_ids.find(key); it != m_ids.end()) {
            it->insert(name);
            return true;
        }
        if (!available(error))
            return false;
        const QStringList action = actionId(key);
        call(QStringLiteral("doRegister"), {action});
        const QDBusMessage reply =
            call(QStringLiteral("setShortcut"),
                 {action, QVariant::fromValue(QList<int>{key}), setPresent | noAutoloading});
        const QList<int> set = qdbus_cast<QList<int>>(reply.arguments().value(0));
        if (reply.type() != QDBusMessage::ReplyMessage || set != QList<int>{key}) {
            // The service gave the action no keys: another component holds them.
            call(QStringLiteral("unRegister"), {action});
            if (error)
                *error =
                    reply.type() == QDBusMessage::ReplyMessage ? takenText() : reply.errorMessage();
            return false;
        }
        m_ids[key].insert(name);
        return true;
    }

    void unregisterHotKey(quint32 signature, quint32 id) override {
        const quint64 name = (quint64(signature) << 32) | id;
        for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
            if (!it->remove(name))
                continue;
            if (it->isEmpty()) {
                release(it.key());
                m_ids.erase(it);
            }
            return;
        }
    }

    bool isTakenByOthers(quint32 keyCode, quint32 carbonModifiers) override {
        const int key = kdeShortcutKey(keyCode, carbonModifiers);
        if (key == 0 || !isAvailable())
            return false;
        const QDBusMessage reply = call(QStringLiteral("getGlobalShortcutsByKey"), {key});
        const auto holders = qdbus_cast<QList<ShortcutInfo>>(reply.arguments().value(0));
        return std::any_of(holders.begin(), holders.end(), [](const ShortcutInfo& info) {
            return info.componentUniqueName != component;
        });
    }

private slots:
    void shortcutPressed(const QString& componentUnique, const QString& actionUnique, qlonglong) {
        if (componentUnique != component)
            return;
        const int key = actionUnique.mid(4).toInt(nullptr, 16);
        if (!actionUnique.startsWith(QLatin1String("key-")) || !m_ids.contains(key))
            return;
        for (const quint64 name : m_ids.value(key))
            emit pressed(quint32(name >> 32), quint32(name));
    }

private:
    static QStringList actionId(int key) {
        const QString unique = QStringLiteral("key-%1").arg(uint(key), 0, 16);
        return {component, unique, componentName,
                QCoreApplication::translate("HotKeys", "Dexaro hot key %1").arg(unique.mid(4))};
    }

    bool available(QString* error) const {
        if (isAvailable())
            return true;
        if (error)
            *error = QCoreApplication::translate(
                "HotKeys", "KDE's shortcut service (org.kde.kglobalaccel) is not running.");
        return false;
    }

    void release(int key) {
        const QStringList action = actionId(key);
        call(QStringLiteral("setShortcut"),
             {action, QVariant::fromValue(QList<int>{}), setPresent | noAutoloading});
        call(QStringLiteral("unRegister"), {action});
    }

    QDBusMessage call(const QString& method, const QVariantList& args) const {
        QDBusMessage message =
            QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"),
                                           QStringLiteral("org.kde.KGlobalAccel"), method);
        message.setArguments(args);
        return m_bus.call(message, QDBus::Block, callTimeoutMs);
    }

    QDBusConnection m_bus;
    // Dexaro's identifiers (signature << 32 | id) of each combination taken.
    QHash<int, QSet<quint64>> m_ids;
};

} // namespace

std::unique_ptr<HotKeys> makeKGlobalAccelHotKeys() {
    return std::make_unique<KGlobalAccelHotKeys>();
}

} // namespace dexaro

#include "KGlobalAccelHotKeys.moc"
