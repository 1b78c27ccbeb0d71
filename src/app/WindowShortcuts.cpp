#include "app/WindowShortcuts.h"

#include <QAction>
#include <QWidget>

namespace dexaro {

void addWindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action) {
    auto* shortcut = new QAction(window);
    shortcut->setShortcut(keys);
    shortcut->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QAction::triggered, window, std::move(action));
    window->addAction(shortcut);
}

} // namespace dexaro
