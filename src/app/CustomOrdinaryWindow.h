#pragma once
// The program's small auxiliary windows: Ctrl-W closes them, and a click in
// one closes the tray popover.
#include <QWidget>

namespace dexaro {

class CustomOrdinaryWindow : public QWidget {
    Q_OBJECT
public:
    explicit CustomOrdinaryWindow(QWidget* parent = nullptr);

signals:
    // A mouse press in the window: the delegate closes the popover if it is shown.
    void closePopoverRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace dexaro
