#include "app/WindowShortcuts.h"

#include "shortcuts/MASShortcut.h"

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
    PositionalShortcut(QWidget* window, MASShortcut shortcut, std::function<void()> action)
        : QObject(window), m_window(window), m_shortcut(shortcut), m_action(std::move(action)) {
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
        if (!matches(*key))
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
    bool matches(const QKeyEvent& event) const {
        return MASShortcut::shortcutWithEvent(event) == m_shortcut;
    }

    QWidget* m_window;
    MASShortcut m_shortcut;
    std::function<void()> m_action;
};

} // namespace

void addWindowShortcut(QWidget* window, const QKeySequence& keys, std::function<void()> action) {
    if (!window || keys.isEmpty())
        return;
    const QKeyCombination combination = keys[0];
    // The position of the key the sequence names on a US layout.
    const QKeyEvent named(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    new PositionalShortcut(window, MASShortcut::shortcutWithEvent(named), std::move(action));
}

} // namespace dexaro
