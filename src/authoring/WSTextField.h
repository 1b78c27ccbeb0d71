#pragma once
// The workspace name field. It performs the standard editing commands itself,
// matched by key position (the key where a US layout has the letter) with
// exactly these modifiers:
//
//   Ctrl-A select all   Ctrl-C copy   Ctrl-X cut   Ctrl-V paste
//   Ctrl-Z undo         Ctrl-Shift-Z redo
//
// so that they work the same on every keyboard layout. Every other key gets
// QLineEdit's own handling; Ctrl-W and Ctrl-Q are left alone, so the main
// window's shortcuts (which see a key before any widget) close it and quit.
#include <QLineEdit>

class QKeyEvent;

namespace dexaro {

class WSTextField : public QLineEdit {
    Q_OBJECT
public:
    enum class EditCommand { none, selectAll, copy, cut, paste, undo, redo };

    explicit WSTextField(QWidget* parent = nullptr);

    // The command a key press stands for; none leaves it to QLineEdit.
    static EditCommand editCommandFor(const QKeyEvent& event);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void perform(EditCommand command);
};

} // namespace dexaro
