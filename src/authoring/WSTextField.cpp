#include "authoring/WSTextField.h"

#include "shortcuts/PositionalKey.h"

#include <QKeyEvent>
#include <array>

namespace dexaro {

namespace {
struct Binding {
    PositionalKey key;
    WSTextField::EditCommand command;
};

const std::array<Binding, 6>& bindings() {
    using Command = WSTextField::EditCommand;
    static const std::array<Binding, 6> table{{
        {PositionalKey(Qt::CTRL | Qt::Key_A), Command::selectAll},
        {PositionalKey(Qt::CTRL | Qt::Key_C), Command::copy},
        {PositionalKey(Qt::CTRL | Qt::Key_X), Command::cut},
        {PositionalKey(Qt::CTRL | Qt::Key_V), Command::paste},
        {PositionalKey(Qt::CTRL | Qt::Key_Z), Command::undo},
        {PositionalKey(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), Command::redo},
    }};
    return table;
}
} // namespace

WSTextField::WSTextField(QWidget* parent) : QLineEdit(parent) {}

WSTextField::EditCommand WSTextField::editCommandFor(const QKeyEvent& event) {
    for (const Binding& binding : bindings()) {
        if (binding.key.matches(event))
            return binding.command;
    }
    return EditCommand::none;
}

bool WSTextField::event(QEvent* event) {
    // Claim our commands before any shortcut of the window takes the press.
    if (event->type() == QEvent::ShortcutOverride &&
        editCommandFor(*static_cast<QKeyEvent*>(event)) != EditCommand::none) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void WSTextField::keyPressEvent(QKeyEvent* event) {
    const EditCommand command = editCommandFor(*event);
    if (command == EditCommand::none) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    perform(command);
    event->accept();
}

void WSTextField::perform(EditCommand command) {
    // What QLineEdit's own bindings allow: nothing leaves a hidden text, and a
    // read-only text is only selected and copied.
    const bool plain = echoMode() == QLineEdit::Normal;
    const bool editable = !isReadOnly();
    switch (command) {
    case EditCommand::selectAll:
        selectAll();
        break;
    case EditCommand::copy:
        if (plain)
            copy();
        break;
    case EditCommand::cut:
        if (plain && editable)
            cut();
        break;
    case EditCommand::paste:
        if (editable)
            paste();
        break;
    case EditCommand::undo:
        if (editable)
            undo();
        break;
    case EditCommand::redo:
        if (editable)
            redo();
        break;
    case EditCommand::none:
        break;
    }
}

} // namespace dexaro
