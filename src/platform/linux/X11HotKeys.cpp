// Hot keys on X11: a passive key grab on the root window for every
// combination of the lock modifiers (Caps Lock, Num Lock), so that a hot key
// works whatever locks are on. A grab that another client holds is refused
// by the server with BadAccess; the registration then fails and gives back
// what it took. Presses arrive on Qt's own xcb connection and are picked out
// of its event stream by a native event filter.
#include "platform/linux/X11HotKeys.h"
#include "platform/KeyboardLayout.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QSet>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <vector>

namespace dexaro {
namespace {

constexpr uint16_t relevantModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr xcb_keysym_t numLockKeysym = 0xff7f;

QString takenText() {
    return QCoreApplication::translate("HotKeys",
                                       "Another application already uses this key combination.");
}

QString unknownKeyText() {
    return QCoreApplication::translate("HotKeys", "This key cannot be used for a hot key.");
}

// Event-manager modifier bits -> X11 modifier mask, by key position.
uint16_t x11Modifiers(quint32 carbon) {
    uint16_t mask = 0;
    if (carbon & HotKeys::CarbonShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbon & HotKeys::CarbonControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbon & HotKeys::CarbonOption)
        mask |= XCB_MOD_MASK_1;
    if (carbon & HotKeys::CarbonCommand)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

std::optional<xcb_keycode_t> x11KeyCode(quint32 keyCode) {
    const auto evdev = KeyboardLayout::evdevCode(keyCode);
    if (!evdev || *evdev + 8 > 255)
        return std::nullopt;
    return xcb_keycode_t(*evdev + 8);
}

struct Combination {
    xcb_keycode_t key;
    uint16_t modifiers;
    bool operator==(const Combination&) const = default;
};

size_t qHash(const Combination& c, size_t seed = 0) {
    return ::qHash((uint32_t(c.key) << 16) | c.modifiers, seed);
}

class X11HotKeys final : public HotKeys, public QAbstractNativeEventFilter {
public:
    X11HotKeys(xcb_connection_t* connection, xcb_window_t root)
        : m_connection(connection), m_root(root) {
        qApp->installNativeEventFilter(this);
    }

    ~X11HotKeys() override {
        for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it)
            ungrab(it.key());
        xcb_flush(m_connection);
    }

    bool isAvailable() const override { return true; }

    bool registerHotKey(quint32 keyCode, quint32 carbonModifiers, quint32 signature, quint32 id,
                        QString* error) override {
        const auto key = x11KeyCode(keyCode);
        if (!key) {
            if (error)
                *error = unknownKeyText();
            return false;
        }
        const Combination combination{*key, x11Modifiers(carbonModifiers)};
        const quint64 name = nameOf(signature, id);
        unregisterName(name);
        if (!m_owners.contains(combination)) {
            if (!grab(combination)) {
                if (error)
                    *error = takenText();
                return false;
            }
        }
        m_owners[combination].append(name);
        m_combinations.insert(name, combination);
        return true;
    }

    void unregisterHotKey(quint32 signature, quint32 id) override {
        unregisterName(nameOf(signature, id));
    }

    bool isTakenByOthers(quint32 keyCode, quint32 carbonModifiers) override {
        const auto key = x11KeyCode(keyCode);
        if (!key)
            return false;
        const Combination combination{*key, x11Modifiers(carbonModifiers)};
        if (m_owners.contains(combination))
            return false;
        if (!grab(combination))
            return true;
        ungrab(combination);
        sync();
        return false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            m_numLockMask.reset();
            return false;
        }
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        const Combination combination{key->detail, uint16_t(key->state & relevantModifiers)};
        if (type == XCB_KEY_RELEASE) {
            // Only the release of a key whose press we took.
            return m_keysDown.remove(key->detail);
        }
        const auto owners = m_owners.constFind(combination);
        if (owners == m_owners.cend())
            return false;
        // Held down, the key repeats; a hot key fires once per press.
        if (m_keysDown.contains(key->detail))
            return true;
        m_keysDown.insert(key->detail);
        const QList<quint64> names = owners.value();
        // Reported after the event is handled, never from inside the filter.
        QMetaObject::invokeMethod(
            this,
            [this, names] {
                for (quint64 name : names)
                    emit pressed(quint32(name >> 32), quint32(name));
            },
            Qt::QueuedConnection);
        return true;
    }

private:
    static quint64 nameOf(quint32 signature, quint32 id) { return (quint64(signature) << 32) | id; }

    void unregisterName(quint64 name) {
        const auto it = m_combinations.constFind(name);
        if (it == m_combinations.cend())
            return;
        const Combination combination = it.value();
        m_combinations.erase(it);
        QList<quint64>& names = m_owners[combination];
        names.removeAll(name);
        if (names.isEmpty()) {
            m_owners.remove(combination);
            // Its release may now go elsewhere; do not wait for it.
            m_keysDown.remove(combination.key);
            ungrab(combination);
            sync();
        }
    }

    uint16_t numLockMask() {
        if (m_numLockMask)
            return *m_numLockMask;
        uint16_t mask = XCB_MOD_MASK_2;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
        xcb_keycode_t* numLockKeys =
            symbols ? xcb_key_symbols_get_keycode(symbols, numLockKeysym) : nullptr;
        xcb_get_modifier_mapping_reply_t* mapping = xcb_get_modifier_mapping_reply(
            m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
        if (numLockKeys && mapping) {
            const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(mapping);
            const int perModifier = mapping->keycodes_per_modifier;
            for (int modifier = 0; modifier < 8; ++modifier) {
                for (int i = 0; i < perModifier; ++i) {
                    const xcb_keycode_t k = keys[modifier * perModifier + i];
                    for (const xcb_keycode_t* n = numLockKeys; k && *n; ++n) {
                        if (*n == k)
                            mask = uint16_t(1u << modifier);
                    }
                }
            }
        }
        std::free(mapping);
        std::free(numLockKeys);
        if (symbols)
            xcb_key_symbols_free(symbols);
        m_numLockMask = mask;
        return mask;
    }

    std::vector<uint16_t> lockVariants() {
        const uint16_t numLock = numLockMask();
        return {0, XCB_MOD_MASK_LOCK, numLock, uint16_t(XCB_MOD_MASK_LOCK | numLock)};
    }

    // Grabs every lock variant; on any refusal gives back the others.
    bool grab(const Combination& combination) {
        const std::vector<uint16_t> variants = lockVariants();
        std::vector<xcb_void_cookie_t> cookies;
        for (uint16_t locks : variants) {
            cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root,
                                                   combination.modifiers | locks, combination.key,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
        bool refused = false;
        std::vector<uint16_t> taken;
        for (size_t i = 0; i < cookies.size(); ++i) {
            xcb_generic_error_t* error = xcb_request_check(m_connection, cookies[i]);
            if (error) {
                // BadAccess: another client holds it; any other error refuses too.
                refused = true;
                std::free(error);
            } else {
                taken.push_back(variants[i]);
            }
        }
        if (refused) {
            for (uint16_t locks : taken)
                xcb_ungrab_key(m_connection, combination.key, m_root,
                               combination.modifiers | locks);
            sync();
            return false;
        }
        return true;
    }

    // Waits until the server has handled everything sent so far, so that a key
    // given back is free for other clients when the call returns.
    void sync() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    void ungrab(const Combination& combination) {
        for (uint16_t locks : lockVariants())
            xcb_ungrab_key(m_connection, combination.key, m_root, combination.modifiers | locks);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    QHash<Combination, QList<quint64>> m_owners; // grabbed combination -> hot-key names
    QHash<quint64, Combination> m_combinations;  // hot-key name -> combination
    QSet<xcb_keycode_t> m_keysDown;
    std::optional<uint16_t> m_numLockMask;
};

// Without an X11 display there is nothing to grab keys on.
class UnavailableHotKeys final : public HotKeys {
public:
    bool isAvailable() const override { return false; }
    bool registerHotKey(quint32, quint32, quint32, quint32, QString* error) override {
        if (error)
            *error = QCoreApplication::translate(
                "HotKeys", "System-wide keyboard shortcuts need an X11 session.");
        return false;
    }
    void unregisterHotKey(quint32, quint32) override {}
    bool isTakenByOthers(quint32, quint32) override { return false; }
};

} // namespace

std::unique_ptr<HotKeys> makeX11HotKeys() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
        if (screens.rem > 0)
            return std::make_unique<X11HotKeys>(connection, screens.data->root);
    }
    return std::make_unique<UnavailableHotKeys>();
}

} // namespace dexaro
