#include "authoring/SearchBar.h"

#include <QFocusEvent>

namespace dexaro {

SearchBar::SearchBar(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(tr("Search"));
    setAccessibleName(tr("Search applications"));
    setClearButtonEnabled(true);
}

void SearchBar::focusInEvent(QFocusEvent* event) {
    // QLineEdit selects everything when the focus comes by the keyboard.
    QLineEdit::focusInEvent(event);
    if (hasSelectedText()) {
        const int start = selectionStart();
        deselect();
        setCursorPosition(start);
    }
}

} // namespace dexaro
