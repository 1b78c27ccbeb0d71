#pragma once
// Window-wide keyboard shortcuts (Ctrl-W, Ctrl-Q). Exactly the given modifiers
// match (Caps Lock does not count); the Latin key is used on other layouts.
#include <QKeySequence>
#include <functional>

class QWidget;

namespace dexaro {

void addWindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action);

} // namespace dexaro
