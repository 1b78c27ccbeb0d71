#include "platform/linux/XkbKeyboardLayout.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <xcb/xcb.h>
// xkb.h names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace dexaro {
namespace {

// The spacing character of a dead key, as printed on the key.
char32_t deadKeyCharacter(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'\u00B4';
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_tilde:
        return U'~';
    case XKB_KEY_dead_macron:
        return U'\u00AF';
    case XKB_KEY_dead_breve:
        return U'\u02D8';
    case XKB_KEY_dead_abovedot:
        return U'\u02D9';
    case XKB_KEY_dead_diaeresis:
        return U'\u00A8';
    case XKB_KEY_dead_abovering:
        return U'\u02DA';
    case XKB_KEY_dead_doubleacute:
        return U'\u02DD';
    case XKB_KEY_dead_caron:
        return U'\u02C7';
    case XKB_KEY_dead_cedilla:
        return U'\u00B8';
    case XKB_KEY_dead_ogonek:
        return U'\u02DB';
    default:
        return 0;
    }
}

class XkbKeyboardLayout final : public KeyboardLayout, public QAbstractNativeEventFilter {
public:
    XkbKeyboardLayout() {
        m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (auto* x11 =
                qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            m_connection = x11->connection();
            if (m_connection &&
                xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                            XKB_X11_MIN_MINOR_XKB_VERSION,
                                            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                            &m_xkbEventBase, nullptr)) {
                m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection);
                qGuiApp->installNativeEventFilter(this);
            } else {
                m_connection = nullptr;
            }
        }
    }

    ~XkbKeyboardLayout() override {
        if (m_keymap)
            xkb_keymap_unref(m_keymap);
        if (m_context)
            xkb_context_unref(m_context);
    }

    std::optional<QString> keyText(quint32 keyCode) override {
        if (!loadKeymap())
            return std::nullopt;
        const auto evdev = evdevCode(keyCode);
        if (!evdev)
            return QString();
        const xkb_layout_index_t layout = asciiCapableLayout();
        return textOfKey(*evdev + 8, layout);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            dropKeymap();
        } else if (m_xkbEventBase && type == m_xkbEventBase) {
            // Byte 1 of every XKB event is its XKB type.
            const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
                dropKeymap();
        }
        return false;
    }

private:
    bool loadKeymap() {
        if (m_keymap)
            return true;
        if (!m_context)
            return false;
        if (m_connection && m_deviceId >= 0) {
            m_keymap = xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
        } else {
            const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
            m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
        return m_keymap != nullptr;
    }

    void dropKeymap() {
        if (m_keymap)
            xkb_keymap_unref(m_keymap);
        m_keymap = nullptr;
    }

    xkb_layout_index_t currentLayout() {
        if (!m_connection)
            return 0;
        xcb_xkb_get_state_reply_t* reply = xcb_xkb_get_state_reply(
            m_connection, xcb_xkb_get_state(m_connection, xcb_xkb_device_spec_t(m_deviceId)),
            nullptr);
        if (!reply)
            return 0;
        const xkb_layout_index_t group = reply->group;
        std::free(reply);
        return group;
    }

    // The current layout when it types ASCII at the A key, else the first one that does.
    xkb_layout_index_t asciiCapableLayout() {
        const xkb_layout_index_t count = xkb_keymap_num_layouts(m_keymap);
        xkb_layout_index_t current = currentLayout();
        if (current >= count)
            current = 0;
        constexpr xkb_keycode_t keyA = 30 + 8;
        auto typesAscii = [&](xkb_layout_index_t layout) {
            const QString text = textOfKey(keyA, layout);
            return text.size() == 1 && text[0].unicode() > 0x20 && text[0].unicode() < 0x7f;
        };
        if (typesAscii(current))
            return current;
        for (xkb_layout_index_t layout = 0; layout < count; ++layout) {
            if (typesAscii(layout))
                return layout;
        }
        return current;
    }

    QString textOfKey(xkb_keycode_t key, xkb_layout_index_t layout) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(m_keymap, key, layout, 0, &syms);
        if (count != 1)
            return QString();
        if (const char32_t dead = deadKeyCharacter(syms[0]))
            return QString::fromUcs4(&dead, 1);
        const uint32_t ucs = xkb_keysym_to_utf32(syms[0]);
        if (ucs == 0 || ucs < 0x20 || ucs == 0x7f)
            return QString();
        const char32_t c = ucs;
        return QString::fromUcs4(&c, 1);
    }

    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xcb_connection_t* m_connection = nullptr;
    int32_t m_deviceId = -1;
    uint8_t m_xkbEventBase = 0;
};

} // namespace

std::unique_ptr<KeyboardLayout> makeXkbKeyboardLayout() {
    return std::make_unique<XkbKeyboardLayout>();
}

} // namespace dexaro
