#pragma once
// A key combination matched by the position of its key, as the shortcut
// recorder and the global hot keys do: Ctrl-A is the key where a US layout has
// A, whatever the current layout types there (Ф on a Russian layout, Q on a
// French one). Exactly the combination's modifiers match: Ctrl-Alt-A is not
// Ctrl-A, and Caps Lock or Num Lock never count.
//
// A key event without a native scan code (synthetic or offscreen events) is
// matched by its Qt key instead.
#include "shortcuts/MASShortcut.h"

#include <QKeyCombination>

class QKeyEvent;

namespace dexaro {

class PositionalKey {
public:
    // combination's key names a position on a US layout (Qt::Key_A: the A key).
    explicit PositionalKey(QKeyCombination combination);

    bool matches(const QKeyEvent& event) const;
    const MASShortcut& shortcut() const { return m_shortcut; }

private:
    MASShortcut m_shortcut;
};

} // namespace dexaro
