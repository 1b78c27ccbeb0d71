#pragma once
// The application picker's search field. Whenever it takes the keyboard focus
// a text selection collapses to an insertion point where it began, so that
// reloading the grid and focusing the field again never leaves the typed text
// selected (the next key would replace it).
#include <QLineEdit>

namespace dexaro {

class SearchBar : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchBar(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace dexaro
