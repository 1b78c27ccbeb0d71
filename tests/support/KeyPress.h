#pragma once
// Key presses as the X server reports them: the key's position (its X11 key
// code, 0 for none, as offscreen events have) and what the current layout
// types there. Offered as ShortcutOverride first, then delivered as KeyPress,
// as Qt does.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace dexaro::test {

// X11 key codes (evdev + 8) of some letter positions on a US layout.
namespace x11keys {
inline constexpr quint32 none = 0, A = 38, C = 54, Q = 24, V = 55, W = 25, X = 53, Z = 52;
} // namespace x11keys

// Qt names a letter without a Qt::Key constant by its upper-case code point.
inline constexpr auto cyrillicShortI = Qt::Key(0x0419), cyrillicEf = Qt::Key(0x0424); // Й, Ф

inline void press(QWidget* focus, Qt::Key typed, Qt::KeyboardModifiers modifiers,
                  quint32 x11KeyCode) {
    QKeyEvent override(QEvent::ShortcutOverride, typed, modifiers, x11KeyCode, 0, 0);
    override.ignore();
    QApplication::sendEvent(focus, &override);
    QKeyEvent press(QEvent::KeyPress, typed, modifiers, x11KeyCode, 0, 0);
    QApplication::sendEvent(focus, &press);
}

} // namespace dexaro::test
