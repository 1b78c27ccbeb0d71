#include "app/WindowShortcuts.h"

#include "shortcuts/PositionalKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace dexaro {
namespace {

// Watches the key events of the whole application for those that reach a
// widget of its window. Qt first offers a press as ShortcutOverride, then
// delivers it as KeyPress: the override is claimed so that no letter-based
// shortcut takes the press, and the press itself runs the action.
class PositionalShortcut final : public QObject {
public:
    PositionalShortcut(QWidget* window, PositionalKey key, std::function<void()> action)
        : QObject(window), m_window(window), m_key(key), m_action(std::move(action)) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != m_window)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!m_key.matches(*key))
            return false;
        if (type == QEvent::ShortcutOverride) {
            key->accept();
            return true;
        }
        key->accept();
        // The action may close or delete the window; nothing here is used after it.
        const std::function<void()> action = m_action;
        action();
        return true;
    }

private:
    QWidget* m_window;
    PositionalKey m_key;
    std::function<void()> m_action;
};

} // namespace

void addWindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action) {
    if (!window || keys.isEmpty())
        return;
    new PositionalShortcut(window, PositionalKey(keys[0]), std::move(action));
}

} // namespace dexaro
