#pragma once
// The popover's root view: a WSMainView in the popover's colours. Once it is in
// a window it also paints that window's backdrop, so that no other colour shows
// around it: backgroundColors holds the backdrop for the dark and the light
// appearance.
#include "style/WSMainView.h"

#include <utility>

namespace dexaro {

class CustomNSPopoverView : public WSMainView {
    Q_OBJECT
public:
    explicit CustomNSPopoverView(QWidget* parent = nullptr);

    // (dark appearance, light appearance); an invalid colour stands for the
    // desktop's window colour at the time it is painted.
    std::pair<QColor, QColor> backgroundColors;

    QColor currentBackdropColor() const;

protected:
    bool event(QEvent* event) override;
    // The background, framed by a hairline: the popover has no window-manager
    // border of its own.
    void paintEvent(QPaintEvent* event) override;

private:
    void applyBackdrop();
};

} // namespace dexaro
