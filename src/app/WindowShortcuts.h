#pragma once
// Window-wide keyboard shortcuts (Ctrl-W, Ctrl-Q). The key is matched by its
// position, as the shortcut recorder does: Ctrl-W is the key where a US layout
// has W, whatever the current layout types there (Ц on a Russian layout, Z on
// a French one). Exactly the given modifiers match (Caps Lock does not count).
#include <QKeySequence>
#include <functional>

class QWidget;

namespace dexaro {

// Runs action on a press of keys' first combination while window (or any
// widget in it) has the keyboard focus. The press is taken before the focused
// widget and any letter-based shortcut see it.
void addWindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action);

} // namespace dexaro
