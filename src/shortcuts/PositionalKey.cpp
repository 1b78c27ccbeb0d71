#include "shortcuts/PositionalKey.h"

#include <QKeyEvent>

namespace dexaro {

namespace {
MASShortcut shortcutOf(QKeyCombination combination) {
    // An event without a scan code is read by its Qt key: on a US layout.
    const QKeyEvent named(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    return MASShortcut::shortcutWithEvent(named);
}
} // namespace

PositionalKey::PositionalKey(QKeyCombination combination) : m_shortcut(shortcutOf(combination)) {}

bool PositionalKey::matches(const QKeyEvent& event) const {
    return MASShortcut::shortcutWithEvent(event) == m_shortcut;
}

} // namespace dexaro
