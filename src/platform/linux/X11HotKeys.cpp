// Hot keys on X11: a passive key grab on the root window for every
// combination of the lock modifiers (Caps Lock, Num Lock), so that a hot key
// works whatever locks are on. A grab that another client holds is refused
// by the server with BadAccess; the registration then fails and gives back
// what it took. Presses arrive on Qt's own xcb connection and are picked out
// of its event stream by a native event filter.
//
// Held down, a key auto-repeats: the server sends a release and a press with
// the same time stamp for every repeat. Such a pair is no new press, so a hot
// key fires once however long it is held.
//
// The lock masks depend on the keyboard mapping (Num Lock may sit on any
// modifier). The exact grabs made for each combination are kept, so that after
// a mapping change those are given back and the combination is grabbed again
// with the new masks.
#include "platform/linux/X11HotKeys.h"
#include "platform/KeyboardLayout.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// xkb.h names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
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
        // Qt's connection already speaks XKB; its keyboard events tell of a new
        // keyboard (setxkbmap) besides the core MappingNotify.
        if (const xcb_query_extension_reply_t* xkb =
                xcb_get_extension_data(connection, &xcb_xkb_id);
            xkb && xkb->present)
            m_xkbFirstEvent = xkb->first_event;
        qApp->installNativeEventFilter(this);
    }

    ~X11HotKeys() override {
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it)
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
        if (type == XCB_MAPPING_NOTIFY || isXkbKeyboardChange(event)) {
            scheduleRegrab();
            return false;
        }
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (type == XCB_KEY_RELEASE) {
            // Only the release of a key whose press we took. It may be the first
            // half of an auto-repeat pair: remember when it came.
            const auto down = m_keys.find(key->detail);
            if (down == m_keys.end() || down->releasedAt)
                return false;
            down->releasedAt = key->time;
            return true;
        }
        const Combination combination{key->detail, uint16_t(key->state & relevantModifiers)};
        const auto owners = m_owners.constFind(combination);
        if (owners == m_owners.cend())
            return false;
        const auto known = m_keys.constFind(key->detail);
        // Still down (no release came: detectable auto-repeat), or the press of
        // an auto-repeat pair (same time as the release before it).
        const bool repeat =
            known != m_keys.cend() && (!known->releasedAt || *known->releasedAt == key->time);
        m_keys.insert(key->detail, KeyState{});
        if (repeat)
            return true;
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
            m_keys.remove(combination.key);
            ungrab(combination);
            sync();
        }
    }

    bool isXkbKeyboardChange(const xcb_generic_event_t* event) const {
        if (!m_xkbFirstEvent || (event->response_type & 0x7f) != m_xkbFirstEvent)
            return false;
        // All XKB events share one event code; the second byte tells which.
        const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
        return xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY;
    }

    // A mapping change comes as several events at once: one regrab after them.
    void scheduleRegrab() {
        m_numLockMask.reset();
        if (m_regrabPending)
            return;
        m_regrabPending = true;
        QMetaObject::invokeMethod(
            this, [this] { regrabAll(); }, Qt::QueuedConnection);
    }

    // Brings every combination's grabs to the lock masks of the current
    // mapping: grabs the variants it lacks before giving back those no longer
    // wanted, so that the combination stays grabbed throughout. A variant
    // another client took meanwhile stays missing.
    void regrabAll() {
        m_regrabPending = false;
        m_numLockMask.reset();
        const std::vector<uint16_t> variants = lockVariants();
        const auto contains = [](const std::vector<uint16_t>& list, uint16_t value) {
            return std::find(list.begin(), list.end(), value) != list.end();
        };
        for (auto it = m_grabs.begin(); it != m_grabs.end(); ++it) {
            const Combination& combination = it.key();
            std::vector<uint16_t>& held = it.value();
            std::vector<uint16_t> wanted;
            for (uint16_t locks : variants) {
                if (!contains(wanted, uint16_t(combination.modifiers | locks)))
                    wanted.push_back(uint16_t(combination.modifiers | locks));
            }
            std::vector<uint16_t> missing;
            std::vector<xcb_void_cookie_t> cookies;
            for (uint16_t modifiers : wanted) {
                if (contains(held, modifiers))
                    continue;
                missing.push_back(modifiers);
                cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root, modifiers,
                                                       combination.key, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
            }
            std::vector<uint16_t> now;
            for (uint16_t modifiers : held) {
                if (contains(wanted, modifiers))
                    now.push_back(modifiers);
                else
                    xcb_ungrab_key(m_connection, combination.key, m_root, modifiers);
            }
            for (size_t i = 0; i < cookies.size(); ++i) {
                if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookies[i])) {
                    std::free(error);
                    qWarning("Dexaro: after a keyboard mapping change, another application "
                             "holds part of a hot key's combination");
                } else {
                    now.push_back(missing[i]);
                }
            }
            held = now;
        }
        sync();
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

    // Grabs every lock variant and remembers them; on any refusal gives back
    // the others and remembers none.
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
                taken.push_back(uint16_t(combination.modifiers | variants[i]));
            }
        }
        if (refused) {
            for (uint16_t modifiers : taken)
                xcb_ungrab_key(m_connection, combination.key, m_root, modifiers);
            sync();
            return false;
        }
        m_grabs.insert(combination, taken);
        return true;
    }

    // Waits until the server has handled everything sent so far, so that a key
    // given back is free for other clients when the call returns.
    void sync() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    // Gives back exactly the grabs made for the combination.
    void ungrab(const Combination& combination) {
        const auto it = m_grabs.find(combination);
        if (it == m_grabs.end())
            return;
        for (uint16_t modifiers : it.value())
            xcb_ungrab_key(m_connection, combination.key, m_root, modifiers);
        m_grabs.erase(it);
    }

    // A key whose press was taken: down, or released at a time (which an
    // auto-repeat press repeats).
    struct KeyState {
        std::optional<xcb_timestamp_t> releasedAt;
    };

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    uint8_t m_xkbFirstEvent = 0;
    QHash<Combination, QList<quint64>> m_owners; // grabbed combination -> hot-key names
    QHash<quint64, Combination> m_combinations;  // hot-key name -> combination
    QHash<Combination, std::vector<uint16_t>>
        m_grabs; // combination -> exact modifier masks grabbed
    QHash<xcb_keycode_t, KeyState> m_keys;
    std::optional<uint16_t> m_numLockMask;
    bool m_regrabPending = false;
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
